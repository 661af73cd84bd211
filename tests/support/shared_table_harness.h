#pragma once
// A data set and another program on one database table, in random steps: the data set
// opens, walks, seeks, edits, posts, inserts, deletes and reads again, while between
// any two of its steps the other program inserts, deletes, changes keys and values,
// hands out keys again and adds columns. Checked through the other program after each
// write of the data set: a write reported done changed exactly the row the data set
// showed (and nothing else); a refused one raised a sentence, changed nothing and left
// the data set as it was; a read never shows a row twice or one that never existed.
//
// The table is "shared" (k, ident, v): k the key column (declared by the backend; a
// number, or its text), ident a number no other row ever had, v a plain value.

#include <memory>
#include <string>
#include <vector>

namespace vantor {
class TTable;
}  // namespace vantor

namespace vantor::testing_support {

// What the harness needs of a database: another program's connection and the data set.
class SharedTableBackend {
 public:
  virtual ~SharedTableBackend() = default;
  // "CREATE TABLE shared (...)" with the columns k, ident, v in that order.
  virtual std::string CreateTable() const = 0;
  // Whether the key names a row for its owner: a row that took the key of a deleted
  // one is that row. Otherwise a row is the values it holds.
  virtual bool KeyIdentifies() const = 0;
  // Whether the data set reads every row at once (so a reading shows the table exactly).
  virtual bool ReadsWhole() const = 0;
  // The field the data set is ordered and seeks by: "k", or "v" (then CreateTable also
  // indexes v).
  virtual std::string OrderField() const { return "k"; }
  // The other program: runs statements; answers rows as their cells joined by "|".
  virtual void OtherExec(const std::string& sql) = 0;
  virtual std::vector<std::string> OtherRows(const std::string& sql) = 0;
  // A data set on "shared" without an owner, open; and how it reads the table again.
  virtual std::unique_ptr<TTable> Open() = 0;
  virtual void Reread(TTable& table) = 0;
};

// What a run did: writes the data set reported done and refused, readings checked.
struct SharedTableRun {
  int steps = 0;
  int writes_done = 0;
  int writes_refused = 0;
  int readings = 0;

  SharedTableRun& operator+=(const SharedTableRun& other) {
    steps += other.steps;
    writes_done += other.writes_done;
    writes_refused += other.writes_refused;
    readings += other.readings;
    return *this;
  }
};

// Runs `steps` random steps from `seed`, with gtest failures for every broken promise.
SharedTableRun RunSharedTable(SharedTableBackend& backend, unsigned seed, int steps);

}  // namespace vantor::testing_support
