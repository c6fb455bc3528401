#pragma once
// LibreOffice's own extension manager, run for one user installation.
#include "platform/office/Office.h"

#include <QString>
#include <QStringList>

namespace kovel::office {

class Unopkg {
public:
    explicit Unopkg(Profile profile);

    // False when LibreOffice's unopkg is not installed.
    bool available() const;
    // Deploys the package for the user, replacing one with the same identifier.
    bool add(const QString& packageFile, QString* error);
    // Removes the package; true (and quiet) when it was not deployed.
    bool remove(const QString& identifier, QString* error);

private:
    struct Result {
        bool started = false;
        int exitCode = -1;
        QString output;
    };
    Result run(const QStringList& arguments) const;

    Profile profile_;
    QString program_;
};

} // namespace kovel::office
