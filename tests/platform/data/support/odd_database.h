#pragma once
// A SQLite file as other programs write them, for the tests of opening real databases:
// 64-bit integers, dates as ISO texts with offsets, Julian days and Unix times, untyped
// and mixed columns, a generated column, names with blanks, a view, a WITHOUT ROWID
// table and a copy of the sample's customers with its columns in another order.

#include <string>

namespace vantor::testing_support {

// Table "odd things" (4 rows, by "item id" 1..4):
//   "item id" INTEGER PRIMARY KEY
//   big INTEGER          5000000000, -9223372036854775808, 42, 9223372036854775807
//   stamp DATETIME       '2024-01-05T10:30:00.250+02:00', '2024-01-06 08:00:00Z', '2024-02-29 12:00', null
//   day DATE             '2024-01-05', '2023-12-31', null, '1999-12-31'
//   at TIME              '10:30', '23:59:59', '00:00:00.5', null
//   julian DATETIME      2460314.5 (2024-01-05 00:00), 2460316.25 (2024-01-06 18:00), null, 2451544.5 (2000-01-01)
//   unix TIMESTAMP       1704450600 (2024-01-05 10:30), 1704528000 (2024-01-06 08:00), 0 (1970-01-01), null
//   untyped (no type)    7, 8, 9, 10
//   loose (no type)      'x', 12, 3.5, null
//   qty INTEGER          3, 'lots', 10, 4
//   "unit price" REAL    2.5, 1.0, null, 0.5
//   total REAL           generated: qty * "unit price"
//   note TEXT            'plain', 'tab<TAB>and<LF>line', 'Müller', 'A' then the stray byte 0xC3
//   raw BLOB             x'00FF10', null, x'', x'414243'
// Index odd_big on big. View "big ones": "item id", big, note of the rows with big
// beyond 32 bits. Table codes (WITHOUT ROWID, key region;code):
//   ('EU','DE','Germany','1990-10-03'), ('EU','FR','France','1958-10-04'), ('AM','US','United States','1776-07-04')
// Table customers: city, name, id INTEGER PRIMARY KEY, "credit limit" REAL (3 rows).
void WriteOddDatabase(const std::string& path);

}  // namespace vantor::testing_support
