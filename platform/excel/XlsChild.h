#pragma once
// .xls read by FreeXL in a child process: FreeXL is not safe on hostile files (over-reads, bad
// frees, gigabytes of memory for a 118-byte file), so it runs where a fault costs only the
// child. The child sends the cells back through a pipe as records; the parent trusts none of
// it (see DecodeXlsRecords).
#include "platform/excel/Workbook.h"

#include <QByteArray>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kovel::excel::xlschild {

// Records, each a tag byte and its fields in the machine's byte order:
//   'D' u8 date1904            'S' u32 n, n bytes: a worksheet's name (UTF-8)
//   'N' u32 row, u16 column, f64 number
//   'T' u32 row, u16 column, u32 n, n bytes: a text (UTF-8)
//   'F' u32 row, u16 column: a formula cell of the current sheet (FreeXL gives no value)
//   'E' u32 fault, i32 detail: the child stopped on that fault
//   'Z': the end of a complete workbook
// Rows and columns count from 0.
enum Fault : std::uint32_t {
    OpenFailed = 1,        // detail: FreeXL's code
    Encrypted = 2,
    SheetsUnreadable = 3,
    SheetUnreadable = 4,   // detail: sheet index
    OutOfMemory = 5,
};

// Runs in the child: reads `path` with FreeXL and writes the records to `fd`. Returns the
// exit code.
int ReadInChild(const char* path, int fd, const Limits& limits);

// The cells that hold a formula, per worksheet in workbook order (rows and columns from 0),
// found in the BIFF records of an .xls file (a compound file or a bare record stream). Up to
// `keep` cells are listed per sheet; `counts` gets how many there are.
std::vector<std::vector<std::pair<std::uint32_t, std::uint16_t>>>
FormulaCells(const std::vector<std::uint8_t>& file, std::size_t keep, std::vector<std::uint64_t>& counts);

// Parent side: the records into `book`. False with `error` when they break a rule or a cap,
// or when the child reported a fault.
bool DecodeXlsRecords(const QByteArray& records, Workbook& book, const Limits& limits, QString& error);

} // namespace kovel::excel::xlschild
