#include "platform/excel/Application.h"

#include <QFileInfo>

namespace kovel::excel {

Application::Application() = default;
Application::~Application() = default;

bool Application::AttachActiveWorkbook(QString& error)
{
    const QString named = qEnvironmentVariable("KOVEL_ACTIVE_WORKBOOK");
    if (named.isEmpty())
        return true;
    return Open(named, error);
}

bool Application::Open(const QString& path, QString& error)
{
    QString why;
    auto book = Workbook::Open(path, why, limits);
    if (!book) {
        error = QStringLiteral("\"%1\": %2").arg(QFileInfo(path).absoluteFilePath(), why);
        return false;
    }
    m_warnings << book->Warnings();
    m_active = std::move(book);
    return true;
}

std::int32_t Application::CountA(const Worksheet& sheet, std::int32_t row, std::int32_t column)
{
    return sheet.HasValue(row, column) ? 1 : 0;
}

} // namespace kovel::excel
