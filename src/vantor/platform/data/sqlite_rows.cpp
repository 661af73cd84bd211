#include <vantor/platform/data/internal/sqlite_rows.h>

#include <sqlite3.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <stop_token>
#include <thread>

#include <vantor/platform/data/internal/sql_text.h>
#include <vantor/platform/rtl/ansi_strings.h>
#include <vantor/platform/rtl/number_text.h>

namespace vantor {

namespace {

// A locale-independent number syntax: what SQLite itself writes.
const FormatSettings& DotFormat() {
  static const FormatSettings fs = [] {
    FormatSettings f;
    f.decimal_separator = '.';
    f.thousand_separator = ',';
    return f;
  }();
  return fs;
}

bool ParseInt64(std::string_view text, std::int64_t& v) {
  text = TrimView(text);
  if (text.starts_with('+')) text.remove_prefix(1);
  return ParseWhole(text, v);
}

// A number cell as a double, as SQLite converts an integer.
double NumberOf(const SQLiteCell& cell) {
  return cell.storage == SQLITE_INTEGER ? static_cast<double>(cell.integer) : cell.real;
}

}  // namespace

// --- Batches ----------------------------------------------------------------------------------

SQLiteRowBatch::SQLiteRowBatch(std::vector<bool> as_text) : as_text_(std::move(as_text)) {
  assert(!as_text_.empty());  // a result has at least one column
}

void SQLiteRowBatch::Clear() {
  cells_.clear();
  bytes_.clear();
}

void SQLiteRowBatch::Add(sqlite3_stmt* stmt) {
  const int columns = ColumnCount();
  for (int c = 0; c < columns; ++c) {
    // The cell as a value of its own: one lookup instead of one per question asked. The
    // value is only read here, on the one thread that uses the connection meanwhile.
    sqlite3_value* value = sqlite3_column_value(stmt, c);
    // The storage class first: asking for a value in another form may convert the cell.
    Stored s{sqlite3_value_type(value), 0, 0, bytes_.size(), 0};
    const void* p = nullptr;
    switch (s.storage) {
      case SQLITE_INTEGER: s.integer = sqlite3_value_int64(value); break;
      case SQLITE_FLOAT: s.real = sqlite3_value_double(value); break;
      case SQLITE_BLOB: p = sqlite3_value_blob(value); break;
      default: break;
    }
    const bool text = s.storage == SQLITE_TEXT ||
                      ((s.storage == SQLITE_INTEGER || s.storage == SQLITE_FLOAT) && as_text_[static_cast<std::size_t>(c)]);
    if (text) p = sqlite3_value_text(value);
    if (p != nullptr) {
      s.length = static_cast<std::size_t>(sqlite3_value_bytes(value));
      bytes_.append(static_cast<const char*>(p), s.length);
    }
    cells_.push_back(s);
  }
}

SQLiteCell SQLiteRowBatch::Cell(std::size_t row, int column) const {
  const Stored& s = cells_[row * as_text_.size() + static_cast<std::size_t>(column)];
  return {s.storage, s.integer, s.real, std::string_view(bytes_.data() + s.offset, s.length)};
}

namespace {

constexpr std::size_t kBatchRows = 2048;
// Below this many rows a second thread costs more than it saves.
constexpr std::size_t kParallelRows = 50000;

// Fills `batch` with up to kBatchRows rows, the first being the statement's current one.
// Answers whether rows remain after it.
bool Fill(SQLiteStatement& select, SQLiteRowBatch& batch) {
  batch.Clear();
  for (;;) {
    batch.Add(select.Handle());
    if (!select.Step()) return false;
    if (batch.RowCount() == kBatchRows) return true;
  }
}

// Batches handed from the thread that steps the statement to the one that converts them:
// two in flight, so each side works while the other does.
class BatchQueue {
 public:
  explicit BatchQueue(const std::vector<bool>& as_text) {
    for (int i = 0; i < 3; ++i) free_.push_back(std::make_unique<SQLiteRowBatch>(as_text));
  }

  // The stepping side: a batch to fill, or null once the converting side has stopped.
  std::unique_ptr<SQLiteRowBatch> TakeFree(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait(lock, stop, [this] { return !free_.empty(); })) return nullptr;
    auto b = std::move(free_.front());
    free_.pop_front();
    return b;
  }
  void PutFull(std::unique_ptr<SQLiteRowBatch> b) {
    std::lock_guard lock(mutex_);
    full_.push_back(std::move(b));
    changed_.notify_all();
  }
  // The stepping side is done: normally, or with `error`.
  void Finish(std::exception_ptr error) {
    std::lock_guard lock(mutex_);
    finished_ = true;
    error_ = error;
    changed_.notify_all();
  }

  // The converting side: the next full batch, or null when there is none left.
  std::unique_ptr<SQLiteRowBatch> TakeFull() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !full_.empty() || finished_; });
    if (full_.empty()) return nullptr;
    auto b = std::move(full_.front());
    full_.pop_front();
    return b;
  }
  void PutFree(std::unique_ptr<SQLiteRowBatch> b) {
    std::lock_guard lock(mutex_);
    free_.push_back(std::move(b));
    changed_.notify_all();
  }
  std::exception_ptr Error() {
    std::lock_guard lock(mutex_);
    return error_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::deque<std::unique_ptr<SQLiteRowBatch>> free_;
  std::deque<std::unique_ptr<SQLiteRowBatch>> full_;
  bool finished_ = false;
  std::exception_ptr error_;
};

}  // namespace

void ReadRowBatches(SQLiteStatement& select, bool has_row, const std::vector<bool>& as_text, std::size_t expected_rows,
                    const std::function<bool(const SQLiteRowBatch&)>& consume) {
  if (!has_row) return;
  if (expected_rows < kParallelRows || std::thread::hardware_concurrency() < 2) {
    SQLiteRowBatch batch(as_text);
    for (bool more = true; more;) {
      more = Fill(select, batch);
      if (!consume(batch)) return;
    }
    return;
  }
  BatchQueue queue(as_text);
  bool stopped_early = false;
  {
    // Stops and joins the stepping thread however this scope is left.
    std::jthread stepper([&select, &queue](std::stop_token stop) {
      try {
        for (bool more = true; more;) {
          std::unique_ptr<SQLiteRowBatch> batch = queue.TakeFree(stop);
          if (!batch) break;
          more = Fill(select, *batch);
          queue.PutFull(std::move(batch));
        }
        queue.Finish(nullptr);
      } catch (...) {
        queue.Finish(std::current_exception());
      }
    });
    while (std::unique_ptr<SQLiteRowBatch> batch = queue.TakeFull()) {
      if (!consume(*batch)) {
        stopped_early = true;
        break;
      }
      queue.PutFree(std::move(batch));
    }
  }
  if (!stopped_early) {
    if (std::exception_ptr error = queue.Error()) std::rethrow_exception(error);
  }
}

// --- Field types from cells -------------------------------------------------------------------

void SQLiteColumnContents::Add(const SQLiteCell& cell) {
  switch (cell.storage) {
    case SQLITE_INTEGER:
      min_integer = integers == 0 ? cell.integer : std::min(min_integer, cell.integer);
      max_integer = integers == 0 ? cell.integer : std::max(max_integer, cell.integer);
      ++integers;
      break;
    case SQLITE_FLOAT: ++reals; break;
    case SQLITE_TEXT: ++texts; break;
    case SQLITE_BLOB: ++blobs; break;
    default: break;
  }
}

namespace {

bool IsIntegerFamily(TFieldType t) {
  using enum TFieldType;
  return t == ftSmallint || t == ftWord || t == ftInteger || t == ftAutoInc || t == ftLargeint;
}

// The narrowest of the integer types at least as wide as `type` that holds [lo, hi].
TFieldType IntegerTypeFor(TFieldType type, std::int64_t lo, std::int64_t hi) {
  using enum TFieldType;
  if (type == ftSmallint && lo >= INT16_MIN && hi <= INT16_MAX) return type;
  if (type == ftWord && lo >= 0 && hi <= 65535) return type;
  if (type == ftLargeint || lo < INT32_MIN || hi > INT32_MAX) return ftLargeint;
  // A small integer or word column with wider cells widens to the 32-bit integer.
  return type == ftSmallint || type == ftWord ? ftInteger : type;
}

}  // namespace

TFieldType ChooseFieldType(TFieldType declared, const SQLiteColumnContents& c, int& size) {
  using enum TFieldType;
  const bool numbers_only = c.texts == 0 && c.blobs == 0;
  const bool has_integers = c.integers > 0;
  auto as_text = [&size] {
    size = 0;
    return ftString;
  };
  if (declared == ftUnknown) {
    if (c.integers + c.reals + c.texts + c.blobs == 0) return as_text();
    if (c.blobs > 0 && c.integers + c.reals + c.texts == 0) return ftBlob;
    if (!numbers_only) return as_text();
    if (c.reals > 0) return ftFloat;
    return IntegerTypeFor(ftInteger, c.min_integer, c.max_integer);
  }
  if (IsIntegerFamily(declared)) {
    if (!numbers_only) return as_text();
    if (c.reals > 0) return ftFloat;
    return has_integers ? IntegerTypeFor(declared, c.min_integer, c.max_integer) : declared;
  }
  switch (declared) {
    case ftBoolean:
      if (!numbers_only) return c.blobs > 0 ? as_text() : declared;  // texts may be true/false words
      if (c.reals > 0) return ftFloat;
      if (has_integers && (c.min_integer < 0 || c.max_integer > 1)) {
        return IntegerTypeFor(ftInteger, c.min_integer, c.max_integer);
      }
      return declared;
    case ftFloat:
      return numbers_only ? declared : as_text();
    case ftCurrency:
    case ftBCD:
      if (!numbers_only) return as_text();
      if (has_integers && (c.min_integer <= INT64_MIN / Currency::kScale || c.max_integer >= INT64_MAX / Currency::kScale)) {
        // Whole numbers beyond the currency range stay exact as 64-bit integers.
        return c.reals == 0 ? ftLargeint : ftFloat;
      }
      return declared;
    case ftDate:
    case ftTime:
    case ftDateTime:
      return c.blobs > 0 ? as_text() : declared;
    default:
      return declared;
  }
}

TFieldType WidenFieldType(TFieldType type, int storage) {
  using enum TFieldType;
  if (storage == SQLITE_INTEGER && IsIntegerFamily(type) && type != ftLargeint) return ftLargeint;
  if (storage == SQLITE_INTEGER && type == ftBoolean) return ftLargeint;
  if (storage == SQLITE_FLOAT && (IsIntegerFamily(type) || type == ftBoolean || type == ftCurrency || type == ftBCD)) {
    return ftFloat;
  }
  if (storage == SQLITE_INTEGER && (type == ftCurrency || type == ftBCD)) return ftFloat;
  return ftString;
}

std::vector<bool> TextColumns(int first, const std::vector<TFieldType>& types) {
  std::vector<bool> as_text(static_cast<std::size_t>(first), false);
  for (TFieldType t : types) as_text.push_back(StorageKindOf(t) == TStorageKind::skText);
  return as_text;
}

// --- Cells ------------------------------------------------------------------------------------

bool LoadCell(const SQLiteCell& cell, TFieldType type, TRowStore& store, RowId row, int store_column,
              SQLiteDateForm* date_form) {
  const int storage = cell.storage;
  if (storage == SQLITE_NULL) {
    store.SetNull(row, store_column);
    if (date_form != nullptr) *date_form = SQLiteDateForm{};
    return true;
  }
  switch (StorageKindOf(type)) {
    case TStorageKind::skInt16:
    case TStorageKind::skUInt16:
    case TStorageKind::skInt32:
    case TStorageKind::skInt64: {
      std::int64_t v = 0;
      if (storage == SQLITE_INTEGER) {
        v = cell.integer;
      } else if (storage == SQLITE_FLOAT) {
        const double d = cell.real;
        // Whole reals only, and only where the conversion is exact (below 2^53).
        if (std::nearbyint(d) != d || std::fabs(d) > 9007199254740992.0) return false;
        v = static_cast<std::int64_t>(d);
      } else if (storage != SQLITE_TEXT || !ParseInt64(cell.bytes, v)) {
        return false;
      }
      if (type == TFieldType::ftLargeint) {
        store.SetInt64(row, store_column, v);
        return true;
      }
      const std::int64_t lo = type == TFieldType::ftSmallint ? INT16_MIN : (type == TFieldType::ftWord ? 0 : INT32_MIN);
      const std::int64_t hi = type == TFieldType::ftSmallint ? INT16_MAX : (type == TFieldType::ftWord ? 65535 : INT32_MAX);
      if (v < lo || v > hi) return false;
      store.SetInt(row, store_column, static_cast<std::int32_t>(v));
      return true;
    }
    case TStorageKind::skDouble: {
      if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        store.SetDouble(row, store_column, NumberOf(cell));
        return true;
      }
      double d = 0;
      if (storage != SQLITE_TEXT || !TextToFloat(cell.bytes, d, DotFormat())) return false;
      store.SetDouble(row, store_column, d);
      return true;
    }
    case TStorageKind::skCurrency: {
      Currency c;
      bool ok = false;
      if (storage == SQLITE_INTEGER) {
        const std::int64_t v = cell.integer;
        ok = v > INT64_MIN / Currency::kScale && v < INT64_MAX / Currency::kScale;
        if (ok) c = Currency::FromInt(v);
      } else if (storage == SQLITE_FLOAT) {
        ok = Currency::TryFromDouble(cell.real, c);
      } else if (storage == SQLITE_TEXT) {
        ok = TextToFloat(cell.bytes, c, DotFormat());
      }
      if (!ok) return false;
      store.SetCurrency(row, store_column, c);
      return true;
    }
    case TStorageKind::skBoolean: {
      if (storage == SQLITE_INTEGER) {
        const std::int64_t v = cell.integer;
        // Only 0 and 1 read back as they were written.
        if (v != 0 && v != 1) return false;
        store.SetBoolean(row, store_column, v != 0);
        return true;
      }
      if (storage != SQLITE_TEXT) return false;
      const std::string_view t = cell.bytes;
      for (const char* word : {"true", "t", "yes", "y", "1"}) {
        if (AnsiSameText(t, word)) return store.SetBoolean(row, store_column, true), true;
      }
      for (const char* word : {"false", "f", "no", "n", "0"}) {
        if (AnsiSameText(t, word)) return store.SetBoolean(row, store_column, false), true;
      }
      return false;
    }
    case TStorageKind::skDate: {
      TDateTime d = 0;
      SQLiteDateForm form;
      if (storage == SQLITE_TEXT) {
        if (!ParseSQLiteDateText(TrimView(cell.bytes), d, form)) return false;
      } else if (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) {
        if (!SQLiteNumberToDate(NumberOf(cell), d, form.kind)) return false;
        form.integer = storage == SQLITE_INTEGER;
      } else {
        return false;
      }
      if (date_form != nullptr) *date_form = form;
      store.SetDouble(row, store_column, d);
      return true;
    }
    case TStorageKind::skText: {
      // Blobs and texts as their bytes, numbers as the text SQLite writes for them.
      store.SetText(row, store_column, cell.bytes);
      return true;
    }
  }
  return false;
}

int LoadRow(const SQLiteRow& cells, int first, const std::vector<TFieldType>& types, TRowStore& store, RowId row,
            std::vector<SQLiteDateForm>* date_forms, std::vector<SQLiteColumnContents>* contents) {
  // Every date cell read sets its form, a null one the default: the vector is only sized.
  if (date_forms != nullptr && date_forms->size() != types.size()) date_forms->assign(types.size(), SQLiteDateForm{});
  for (std::size_t c = 0; c < types.size(); ++c) {
    const int column = static_cast<int>(c);
    const SQLiteCell cell = cells[first + column];
    if (contents != nullptr) (*contents)[c].Add(cell);
    SQLiteDateForm* form = date_forms != nullptr ? &(*date_forms)[c] : nullptr;
    if (!LoadCell(cell, types[c], store, row, column, form)) return column;
  }
  return -1;
}

// --- Whole results ----------------------------------------------------------------------------

std::unique_ptr<TRowStore> ReadAllRows(SQLiteStatement& select, bool has_row, int first, std::vector<TFieldType>& types,
                                       std::size_t expected_rows, const std::function<void()>& restart,
                                       const SQLiteRowRead& row_read) {
  std::vector<SQLiteDateForm> forms;
  for (;;) {
    auto store = std::make_unique<TRowStore>(types);
    store->Reserve(expected_rows);
    if (restart) restart();
    int misfit = -1;
    int misfit_storage = SQLITE_NULL;
    ReadRowBatches(select, has_row, TextColumns(first, types), expected_rows, [&](const SQLiteRowBatch& batch) {
      for (std::size_t r = 0; r < batch.RowCount(); ++r) {
        const SQLiteRow cells{&batch, r};
        const RowId row = store->AppendRow();
        misfit = LoadRow(cells, first, types, *store, row, &forms);
        if (misfit >= 0) {
          misfit_storage = cells[first + misfit].storage;
          return false;
        }
        if (row_read) row_read(*store, row, cells, forms);
      }
      return true;
    });
    if (misfit < 0) return store;
    const auto m = static_cast<std::size_t>(misfit);
    types[m] = WidenFieldType(types[m], misfit_storage);
    select.Reset();
    // Usually the first row again; if another program changed the file meanwhile, the
    // rows read are those the statement gives now.
    has_row = select.Step();
  }
}

std::unique_ptr<TRowStore> ReadAllRowsChoosingTypes(SQLiteStatement& select, bool has_row, int first,
                                                    const std::vector<TFieldType>& declared,
                                                    std::vector<TFieldType>& types, std::vector<int>& sizes,
                                                    std::size_t expected_rows, const std::function<void()>& restart,
                                                    const SQLiteRowRead& row_read) {
  assert(declared.size() == sizes.size());  // one declared type and size per column
  const std::size_t columns = declared.size();
  // A column without a declared type is read as text, which takes every cell, until its
  // cells have chosen.
  types.clear();
  for (TFieldType t : declared) types.push_back(t == TFieldType::ftUnknown ? TFieldType::ftString : t);
  std::vector<SQLiteColumnContents> contents(columns);
  std::vector<SQLiteDateForm> forms;
  auto store = std::make_unique<TRowStore>(types);
  store->Reserve(expected_rows);
  if (restart) restart();
  ReadRowBatches(select, has_row, TextColumns(first, types), expected_rows, [&](const SQLiteRowBatch& batch) {
    for (std::size_t r = 0; r < batch.RowCount(); ++r) {
      const SQLiteRow cells{&batch, r};
      if (store) {
        const RowId row = store->AppendRow();
        const int misfit = LoadRow(cells, first, types, *store, row, &forms, &contents);
        if (misfit < 0) {
          if (row_read) row_read(*store, row, cells, forms);
          continue;
        }
        // The rows from here on are only counted: the rest of this one first.
        for (std::size_t c = static_cast<std::size_t>(misfit) + 1; c < columns; ++c) {
          contents[c].Add(cells[first + static_cast<int>(c)]);
        }
        store.reset();
        continue;
      }
      for (std::size_t c = 0; c < columns; ++c) contents[c].Add(cells[first + static_cast<int>(c)]);
    }
    return true;
  });
  std::vector<TFieldType> chosen;
  for (std::size_t c = 0; c < columns; ++c) chosen.push_back(ChooseFieldType(declared[c], contents[c], sizes[c]));
  if (store && chosen == types) return store;
  types = std::move(chosen);
  select.Reset();
  return ReadAllRows(select, select.Step(), first, types, expected_rows, restart, row_read);
}

}  // namespace vantor
