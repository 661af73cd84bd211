#pragma once
// Reading SQLite result rows into a row store: the cells as SQLite gives them, the choice
// of a column's field type from its declared type and its cells, and the typed transfer of
// cells into store columns.
//
// Rows travel in batches (SQLiteRowBatch): the statement is stepped and its cells copied
// out, then the batch is converted into the store. On large results the two run on two
// threads, the statement stepped on one while the other converts the batch before, so
// opening a million-row table costs little more than SQLite's own stepping.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/data/row_store.h>
#include <vantor/platform/data/sqlite_connection.h>
#include <vantor/platform/data/sqlite_dates.h>
#include <vantor/platform/rtl/field_type.h>

struct sqlite3_stmt;

namespace vantor {

// One cell of a result row as the file holds it. `storage` is SQLite's storage class
// (SQLITE_INTEGER ... SQLITE_NULL); `bytes` holds a text's or blob's bytes, and for a
// number read into a text column the text SQLite writes for it.
struct SQLiteCell {
  int storage = 0;
  std::int64_t integer = 0;
  double real = 0;
  std::string_view bytes;
};

// Result rows copied out of a statement: `columns` cells per row, the bytes of texts and
// blobs in one buffer. Cleared and refilled, a batch keeps its memory.
class SQLiteRowBatch {
 public:
  // `as_text[c]` marks result columns whose numbers are also wanted as SQLite's text.
  explicit SQLiteRowBatch(std::vector<bool> as_text);

  void Clear();
  // Copies the current row of `stmt`.
  void Add(sqlite3_stmt* stmt);
  std::size_t RowCount() const { return cells_.size() / as_text_.size(); }
  int ColumnCount() const { return static_cast<int>(as_text_.size()); }
  SQLiteCell Cell(std::size_t row, int column) const;

 private:
  struct Stored {
    int storage;
    std::int64_t integer;
    double real;
    std::size_t offset;
    std::size_t length;
  };
  std::vector<bool> as_text_;
  std::vector<Stored> cells_;
  std::string bytes_;
};

// One row of a batch.
struct SQLiteRow {
  const SQLiteRowBatch* batch;
  std::size_t row;
  SQLiteCell operator[](int column) const { return batch->Cell(row, column); }
};

// Steps `select` (stepped once by the caller, `has_row` being what that step answered)
// to its end, handing its rows to `consume` batch by batch, in order, until `consume`
// answers false. With `expected_rows` large enough and two cores the statement is stepped
// on a second thread meanwhile; `consume` always runs on the calling thread, and nothing
// else may use the statement's connection until this returns. An error of either side is
// raised here, after the other side has stopped.
void ReadRowBatches(SQLiteStatement& select, bool has_row, const std::vector<bool>& as_text, std::size_t expected_rows,
                    const std::function<bool(const SQLiteRowBatch&)>& consume);

// What the cells of one column hold: the count of each storage class and the range of
// the integers (both 0 without integers). Gathered while the rows are read.
struct SQLiteColumnContents {
  std::int64_t integers = 0;
  std::int64_t reals = 0;
  std::int64_t texts = 0;
  std::int64_t blobs = 0;
  std::int64_t min_integer = 0;
  std::int64_t max_integer = 0;

  void Add(const SQLiteCell& cell);
};

// The field type for a column: the declared one, unless the cells contradict it, then
// the narrowest that holds every cell: a larger integer type for integers beyond the
// declared range, ftFloat for reals among integers, text (ftString of any length) for
// texts or blobs among numbers. An untyped column takes the type its cells share.
TFieldType ChooseFieldType(TFieldType declared, const SQLiteColumnContents& contents, int& size);

// The type to read a column as after one of its cells (of SQLite storage class
// `storage`) did not fit `type`: ftLargeint for an integer beyond 32 bits, ftFloat for a
// real among integers or currencies, else text. Text takes every cell.
TFieldType WidenFieldType(TFieldType type, int storage);

// Which result columns of a row laid out as for LoadRow (`first` columns before the
// store's) want numbers also as text: those read into text columns.
std::vector<bool> TextColumns(int first, const std::vector<TFieldType>& types);

// Reads `cell` into `store` at (row, store_column), converting to the store column's
// kind. Dates are ISO-8601 texts, Julian days or Unix times; `date_form` (may be null)
// receives the form of a date cell (the default form for a null one). False, with the cell untouched, for a value that does
// not fit the type: the caller widens the column.
[[nodiscard]] bool LoadCell(const SQLiteCell& cell, TFieldType type, TRowStore& store, RowId row, int store_column,
                            SQLiteDateForm* date_form = nullptr);

// Reads `cells` into `store` at `row`: result column first + c into store column c, of
// type types[c]. `date_forms` (may be null) receives the form of each date cell,
// `contents` (may be null) counts each cell read. The first column whose cell does not
// fit its type, or -1 when all fit.
[[nodiscard]] int LoadRow(const SQLiteRow& cells, int first, const std::vector<TFieldType>& types, TRowStore& store,
                          RowId row, std::vector<SQLiteDateForm>* date_forms = nullptr,
                          std::vector<SQLiteColumnContents>* contents = nullptr);

// Sees a row just read whole, with its cells (all result columns) and the date forms of
// its store cells.
using SQLiteRowRead =
    std::function<void(const TRowStore& store, RowId row, const SQLiteRow& cells, const std::vector<SQLiteDateForm>& forms)>;

// Every row of `select` in a new row store laid out as for LoadRow; the caller has stepped
// `select` once, `has_row` being what that step answered. A cell that its column's type
// cannot hold widens that type in `types` (WidenFieldType) and the rows are read again
// from the start; text takes every cell, so this ends. `restart` is called before each
// reading (the first one too), `row_read` after each row; either may be empty.
[[nodiscard]] std::unique_ptr<TRowStore> ReadAllRows(SQLiteStatement& select, bool has_row, int first,
                                                     std::vector<TFieldType>& types, std::size_t expected_rows = 0,
                                                     const std::function<void()>& restart = {},
                                                     const SQLiteRowRead& row_read = {});

// Every row of `select` as ReadAllRows reads them, with the column types chosen from the
// cells (ChooseFieldType) instead of given. `declared` holds each column's declared type
// (ftUnknown where none) and `sizes` its declared size; on return `types` and `sizes` are
// the chosen ones. The rows are read once under the declared types while the cells are
// counted; only when the cells choose another type for some column are they read again.
[[nodiscard]] std::unique_ptr<TRowStore> ReadAllRowsChoosingTypes(SQLiteStatement& select, bool has_row, int first,
                                                                  const std::vector<TFieldType>& declared,
                                                                  std::vector<TFieldType>& types, std::vector<int>& sizes,
                                                                  std::size_t expected_rows = 0,
                                                                  const std::function<void()>& restart = {},
                                                                  const SQLiteRowRead& row_read = {});

}  // namespace vantor
