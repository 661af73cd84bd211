#pragma once
// TStream and its two stores: a byte stream with a position, read and written in blocks.
// The form stream, resources and files all go through it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <vantor/platform/rtl/exceptions.h>

namespace vantor {

// A file that cannot be created or opened.
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
  const char* ClassName() const noexcept override { return "EFCreateError"; }
};
// A file that cannot be opened (missing, or not readable or writable as asked).
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
  const char* ClassName() const noexcept override { return "EFOpenError"; }
};

enum class TSeekOrigin : std::uint8_t { soBeginning, soCurrent, soEnd };
using enum TSeekOrigin;

class TStream {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream() = default;

  // Reads up to `count` bytes; returns how many were read (0 at the end).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // Writes up to `count` bytes; returns how many were written.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Moves the position and returns the new one; EStreamError for a negative result.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  // Truncates or extends the stream (new bytes are zero).
  virtual void SetSize(std::int64_t size) = 0;

  // Exactly `count` bytes, or EReadError "Stream read error" (the position is then undefined).
  void ReadBuffer(void* buffer, std::int64_t count);
  // Exactly `count` bytes, or EWriteError "Stream write error".
  void WriteBuffer(const void* buffer, std::int64_t count);

  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, soBeginning); }
  std::int64_t Size();
  // Bytes between the position and the end (0 when the position is past the end).
  std::int64_t Remaining();
  // Copies `count` bytes from `source`'s position (all of `source` from its start when
  // `count` is 0); returns the count copied.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// A stream held in memory; its bytes can be read directly.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::span<const std::uint8_t> bytes) : data_(bytes.begin(), bytes.end()) {}
  explicit TMemoryStream(std::string_view bytes) : data_(bytes.begin(), bytes.end()) {}

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t size) override;

  const std::vector<std::uint8_t>& Bytes() const { return data_; }
  std::string ToString() const { return std::string(data_.begin(), data_.end()); }
  void Clear();
  // Replaces the content with the whole of `source` (from its start); position 0 afterwards.
  void LoadFromStream(TStream& source);
  void SaveToStream(TStream& dest) const;
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;

 private:
  std::vector<std::uint8_t> data_;
  std::int64_t position_ = 0;
};

// File open modes, as the host numbers them.
inline constexpr std::uint16_t fmOpenRead = 0x0000;
inline constexpr std::uint16_t fmOpenWrite = 0x0001;
inline constexpr std::uint16_t fmOpenReadWrite = 0x0002;
inline constexpr std::uint16_t fmCreate = 0xFFFF;

// A stream on a file. fmCreate creates or truncates it (EFCreateError on failure); the
// open modes need an existing file (EFOpenError).
class TFileStream : public TStream {
 public:
  TFileStream(const std::string& path, std::uint16_t mode);
  ~TFileStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t size) override;
  // Forces written data to the disk (fsync); EStreamError on failure.
  void Flush();
  const std::string& FileName() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace vantor
