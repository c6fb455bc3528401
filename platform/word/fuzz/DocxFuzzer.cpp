// Any bytes given as a .docx are either read into a model that writes back and reads again
// to the same model, or refused with a message; nothing else may happen. Inputs that begin
// with '<' are taken as the main part and packed, so the XML reader is reached directly.
#include "platform/word/Document.h"

#include <zip.h>

#include <cstddef>
#include <cstdint>

namespace {

QByteArray pack(const QByteArray& documentXml) {
    static const QByteArray rels =
        "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/></Relationships>";
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_t* za = zip_open_from_source(src, ZIP_TRUNCATE, &err);
    zip_source_keep(src);
    zip_file_add(za, "_rels/.rels", zip_source_buffer(za, rels.constData(), static_cast<zip_uint64_t>(rels.size()), 0), 0);
    zip_file_add(za, "word/document.xml",
                 zip_source_buffer(za, documentXml.constData(), static_cast<zip_uint64_t>(documentXml.size()), 0), 0);
    zip_close(za);
    QByteArray out;
    zip_stat_t st;
    if (zip_source_open(src) == 0) {
        if (zip_source_stat(src, &st) == 0) {
            out.resize(static_cast<qsizetype>(st.size));
            zip_source_read(src, out.data(), st.size);
        }
        zip_source_close(src);
    }
    zip_source_free(src);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kovel::word;
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (bytes.startsWith('<')) bytes = pack(bytes);
    try {
        auto d = Document::fromBytes(bytes, QStringLiteral("fuzz.docx"));
        (void)d->pageCount();
        (void)d->content().text();
        auto again = Document::fromBytes(d->toBytes(), QStringLiteral("again.docx"));
        if (!(again->body() == d->body())) __builtin_trap();
    } catch (const WordError&) {
    }
    return 0;
}
