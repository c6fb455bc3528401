#pragma once
// For the fuzz targets: small caps, and zip packages made in memory.
#include "platform/excel/Workbook.h"

#include <QByteArray>
#include <initializer_list>
#include <utility>
#include <zip.h>

namespace fuzzing {

// Small caps, so that a bomb or a huge repeat is refused quickly instead of running out of memory.
inline kovel::excel::Limits SmallLimits()
{
    kovel::excel::Limits limits;
    limits.maxUnpackedBytes = 8 << 20;
    limits.maxPartBytes = 4 << 20;
    limits.maxCells = 200'000;
    limits.maxSharedStrings = 100'000;
    limits.maxSheets = 64;
    limits.maxCellTextChars = 100'000;
    return limits;
}

// A zip package of the given parts, stored (not deflated).
inline QByteArray StoredZip(std::initializer_list<std::pair<const char*, const QByteArray*>> files)
{
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &err);
    QByteArray bytes;
    if (!out) return bytes;
    zip_source_keep(out);
    if (zip_t* z = zip_open_from_source(out, ZIP_TRUNCATE, &err)) {
        for (const auto& [name, data] : files) {
            zip_source_t* s = zip_source_buffer(z, data->constData(), zip_uint64_t(data->size()), 0);
            const zip_int64_t i = s ? zip_file_add(z, name, s, 0) : -1;
            if (i < 0) zip_source_free(s);
            else zip_set_file_compression(z, zip_uint64_t(i), ZIP_CM_STORE, 0);
        }
        if (zip_close(z) != 0) zip_discard(z);
    }
    if (zip_source_open(out) == 0) {
        char buf[65536];
        zip_int64_t got;
        while ((got = zip_source_read(out, buf, sizeof buf)) > 0) bytes.append(buf, qsizetype(got));
        zip_source_close(out);
    }
    zip_source_free(out);
    zip_error_fini(&err);
    return bytes;
}

} // namespace fuzzing
