// StlLoader - the STL import plug-in.
//
// Reads one STL file, ASCII or binary, into one model-exchange record: three
// vertices of its own per facet (equal points are not merged), one triangle
// per facet with vertex indices 3t, 3t + 1, 3t + 2 and normal indices 0, and
// one group that holds every triangle.  Normals stored in the file are not
// used; the viewer computes facet normals from the corners.
//
// Form: a file holding any byte below 9 is binary; anything else (the empty
// file included) is ASCII.  Tab, line feed and carriage return are text.
//
// The ASCII form is cut into lines the way a 256-byte line reader in text
// mode cuts it: "\r\n" is one line end, and a line of more than 255
// characters comes back in pieces of 255 that count as lines of their own.
// Which token starts a "line" and the line counts shown as progress follow
// from that, so the pieces are reproduced exactly.
//
// Passes: the first pass decides the form and, for ASCII, counts facets and
// lines; a binary file is then read once from its start, an ASCII file a
// second time to fill blocks that were allocated once with their final
// size.  Lines are cut straight out of large buffered reads; nothing is
// allocated per line.
//
// The file is hostile input: every count is bounded before it sizes a block,
// and the fill never writes beyond the blocks the counting pass sized.
#include <fcntl.h>
#include <locale.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "plugin_interface/ModelExchange.h"

#define PILVO_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// "STL ファイル (*.stl)" in UTF-8, the narrow encoding at the plug-in boundary.
// Spelt in bytes so that the compiler's execution character set cannot change it.
constexpr char kFilterText[] = "STL \xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB (*.stl)";
constexpr char kPattern[] = "*.stl";

// Progress is reported before every 10000th facet or line, 0 included.
constexpr uint32_t kProgressStep = 10000;

// Triangles address their corners with int32 indices up to 3F - 1, so a file
// may not hold more facets than this; larger counts fail before anything is
// allocated.
constexpr uint32_t kMaxFacets = INT32_MAX / 3;

// Results of LoadModel.
constexpr int kLoaded = 1;
constexpr int kCancelled = 0;
constexpr int kFailed = -1;

// ---- files ---------------------------------------------------------------

// A file opened for reading.  Reads never come back short except at the end
// of the file; a read error ends the file, as it ends a stdio stream.
class File {
public:
  explicit File(const char* path) noexcept : m_fd(::open(path, O_RDONLY | O_CLOEXEC)) {}
  ~File() {
    if (m_fd >= 0) ::close(m_fd);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool IsOpen() const noexcept { return m_fd >= 0; }

  size_t Read(void* buffer, size_t size) noexcept {
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < size) {
      const ssize_t got = ::read(m_fd, out + done, size - done);
      if (got > 0) {
        done += static_cast<size_t>(got);
      } else if (got == 0 || errno != EINTR) {
        break;
      }
    }
    return done;
  }

  bool Rewind() noexcept { return ::lseek(m_fd, 0, SEEK_SET) == 0; }

  // The size of a regular file in bytes; -1 for pipes, devices and the like,
  // whose size says nothing about what can be read.
  int64_t RegularSize() const noexcept {
    struct stat status;
    if (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode)) return -1;
    return status.st_size;
  }

private:
  int m_fd;
};

// Scratch memory for reads; new[] that reports failure instead of throwing,
// since no exception may leave an entry point.
std::unique_ptr<char[]> AllocBuffer(size_t size) noexcept {
  return std::unique_ptr<char[]>(new (std::nothrow) char[size]);
}

// ---- the record ----------------------------------------------------------

// Addresses of the locked blocks of a record being filled.
struct RecordFill {
  ModelExchangeVertex* vertices = nullptr;     // 3 * facetCount
  ModelExchangeTriangle* triangles = nullptr;  // facetCount
  uint32_t* indices = nullptr;                 // facetCount, the group's triangles
  char* name = nullptr;                        // MODEL_EXCHANGE_GROUP_NAME_SIZE bytes
  uint32_t facetCount = 0;
};

// Filling blocks of many megabytes is dominated by the page faults of their
// first touch.  Asking for transparent huge pages before that touch makes
// them few: on Linux with huge pages "madvise" or "always" a 2 MiB page
// replaces 512 small faults.  Only the whole huge pages inside the block are
// advised, so the hint never reaches memory that is not the block's; where
// huge pages are not to be had, it changes nothing.
void AdviseHugePages(void* address, size_t size) noexcept {
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  const auto begin = reinterpret_cast<uintptr_t>(address);
  const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t last = (begin + size) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// Allocates the record for facetCount facets (at most kMaxFacets) with one
// group named "(NoName)".  On failure the record is left all zero.
bool AllocRecord(ModelExchangeRecord* record, uint32_t facetCount, RecordFill* fill) noexcept {
  ModelExchangeGroup* group;
  if (AllocModelExchangeRecord(record, 3 * facetCount, &fill->vertices, 0, nullptr, facetCount,
                               &fill->triangles, 1, &group) != 1)
    return false;
  if (InitModelExchangeGroup(group, &fill->name, facetCount, &fill->indices) != 1) {
    FreeModelExchangeRecord(record);
    return false;
  }
  fill->facetCount = facetCount;
  AdviseHugePages(fill->vertices, size_t{3} * facetCount * sizeof(ModelExchangeVertex));
  AdviseHugePages(fill->triangles, size_t{facetCount} * sizeof(ModelExchangeTriangle));
  AdviseHugePages(fill->indices, size_t{facetCount} * sizeof(uint32_t));
  return true;
}

// Releases a record that will not be handed over and passes the result on,
// so the caller sees zero counts and null handles.
int Abandon(ModelExchangeRecord* record, int result) noexcept {
  UnlockModelExchangeRecord(record);
  FreeModelExchangeRecord(record);
  return result;
}

int Finish(ModelExchangeRecord* record) noexcept {
  UnlockModelExchangeRecord(record);
  return kLoaded;
}

// Replaces the group name by text, cut to the 255 bytes the block holds.
void SetName(char* name, std::string_view text) noexcept {
  const size_t length = std::min(text.size(), size_t{MODEL_EXCHANGE_GROUP_NAME_SIZE - 1});
  std::memset(name, 0, MODEL_EXCHANGE_GROUP_NAME_SIZE);
  std::memcpy(name, text.data(), length);
}

// The progress callback takes ints; line counts of files beyond 2 GiB of
// lines are reported as INT_MAX rather than wrapping negative.
int ProgressValue(uint64_t value) noexcept { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }

// ---- binary form ---------------------------------------------------------

constexpr size_t kBinaryHeaderSize = 80;
constexpr size_t kBinaryPrefixSize = kBinaryHeaderSize + 4;  // header, facet count
constexpr size_t kFacetSize = 50;                            // normal, 3 corners, attribute
constexpr size_t kCornersOffset = 12;                        // the normal is skipped
constexpr size_t kCornersSize = 36;

uint32_t LoadLittleEndian32(const unsigned char* bytes) noexcept {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

// Copies the corners of count facets that start at facet first.
void StoreBinaryFacets(const char* facets, uint32_t first, uint32_t count, const RecordFill& fill) noexcept {
  for (uint32_t i = 0; i < count; ++i) {
    const char* corners = facets + i * kFacetSize + kCornersOffset;
    const uint32_t t = first + i;
    ModelExchangeVertex* vertex = fill.vertices + 3 * size_t{t};
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(vertex, corners, kCornersSize);
    } else {
      auto* out = reinterpret_cast<float*>(vertex);
      for (int k = 0; k < 9; ++k) {
        const uint32_t bits = LoadLittleEndian32(reinterpret_cast<const unsigned char*>(corners + 4 * k));
        std::memcpy(out + k, &bits, sizeof bits);
      }
    }
    const auto v = static_cast<int32_t>(3 * t);
    fill.triangles[t] = ModelExchangeTriangle{{v, v + 1, v + 2}, {0, 0, 0}};
    fill.indices[t] = t;
  }
}

int ReadBinary(File& file, ProgressCallback callback, ModelExchangeRecord* record) noexcept {
  unsigned char prefix[kBinaryPrefixSize];
  if (file.Read(prefix, sizeof prefix) < sizeof prefix) return kFailed;  // header or count incomplete
  const uint32_t facetCount = LoadLittleEndian32(prefix + kBinaryHeaderSize);
  if (facetCount == 0 || facetCount > kMaxFacets) return kFailed;
  // A file too short for the facets it announces would fail at its end
  // anyway; failing here spares allocating blocks for a count that may be a
  // few gigabytes of garbage.
  const int64_t size = file.RegularSize();
  if (size >= 0 && (static_cast<uint64_t>(size) < kBinaryPrefixSize ||
                    static_cast<uint64_t>(size) - kBinaryPrefixSize < uint64_t{facetCount} * kFacetSize))
    return kFailed;

  const auto chunk = AllocBuffer(std::min(kProgressStep, facetCount) * kFacetSize);
  RecordFill fill;
  if (!chunk || !AllocRecord(record, facetCount, &fill)) return kFailed;
  const char* header = reinterpret_cast<const char*>(prefix);
  SetName(fill.name, std::string_view(header, strnlen(header, kBinaryHeaderSize)));

  // One chunk per progress step: the callback comes before facet first.
  for (uint32_t first = 0; first < facetCount; first += kProgressStep) {
    if (callback && callback(static_cast<int>(first), static_cast<int>(facetCount)) == 0)
      return Abandon(record, kCancelled);
    const uint32_t count = std::min(kProgressStep, facetCount - first);
    if (file.Read(chunk.get(), count * kFacetSize) < count * kFacetSize) return Abandon(record, kFailed);
    StoreBinaryFacets(chunk.get(), first, count, fill);
  }
  return Finish(record);  // data after the last announced facet is not read
}

// ---- ASCII lines -----------------------------------------------------------

// A line reader with a 256-byte buffer returns at most 255 characters.
constexpr size_t kMaxLineLength = 255;
// Bytes that must be in the buffer to decide where a line ends: 255
// characters and a line feed, or 254 and a "\r\n" that reads as one.
constexpr size_t kLineWindow = kMaxLineLength + 1;
constexpr size_t kReadChunk = size_t{1} << 20;

// True when any byte is below 9, the bytes that make a file binary.  Scans
// eight bytes at a time: in w - 9 * ones a byte below 9 borrows and gets its
// high bit set; masking with ~w drops bytes that had the high bit already.
// A borrow can only spill into the next byte from a byte below 9, so the
// result is not 0 exactly when the word holds such a byte.
bool HoldsBinaryByte(const char* data, size_t size) noexcept {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  uint64_t found = 0;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, sizeof word);
    found |= (word - 9 * kOnes) & ~word & kHighBits;
  }
  for (; i < size; ++i) found |= static_cast<unsigned char>(data[i]) < 9;
  return found != 0;
}

// The first line feed among size bytes, or nullptr.  May read up to 15
// bytes behind them, which the line buffer holds as padding.
const char* FindLineFeed(const char* first, size_t size) noexcept {
#if defined(__SSE2__)
  // Lines are short; compared 16 bytes at a time inline, they are found
  // faster than through a call to memchr per line.
  const __m128i feed = _mm_set1_epi8('\n');
  for (size_t i = 0; i < size; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i));
    const auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed)));
    if (found != 0) {
      const size_t at = i + static_cast<size_t>(std::countr_zero(found));
      return at < size ? first + at : nullptr;
    }
  }
  return nullptr;
#else
  return static_cast<const char*>(std::memchr(first, '\n', size));
#endif
}

// Cuts a file into the lines described at the top of the file.  A line keeps
// its line end, raw: "\r\n" stays two bytes in the text but counts as one
// character against the 255.
//
// Until the first Rewind, every byte read is also checked for the form: a
// byte below 9 ends the file there and marks it binary.
class LineReader {
public:
  // The buffer holds a chunk and a window, less for a small file.  It is
  // zero-filled once, padding included: FindLineFeed may read the padding
  // but never reports what lies there.
  explicit LineReader(File& file) noexcept
      : m_file(file),
        m_capacity(BufferCapacity(file.RegularSize())),
        m_buffer(new (std::nothrow) char[m_capacity + kPadding]()) {}

  bool IsReady() const noexcept { return m_buffer != nullptr; }
  bool SawBinaryByte() const noexcept { return m_sawBinaryByte; }

  // Starts again at the beginning of the file.  The first pass has seen
  // every byte, so the form is not checked again.
  bool Rewind() noexcept {
    m_begin = m_end = 0;
    m_atEnd = false;
    m_checkForm = false;
    return m_file.Rewind();
  }

  // The next line, or false at the end of the file.
  bool Next(std::string_view* line) noexcept {
    if (m_end - m_begin < kLineWindow && !m_atEnd) Refill();
    const size_t available = m_end - m_begin;
    if (available == 0) return false;
    const char* first = m_buffer.get() + m_begin;
    size_t length = std::min(available, kMaxLineLength);
    if (const char* feed = FindLineFeed(first, std::min(available, kLineWindow))) {
      const auto withFeed = static_cast<size_t>(feed - first) + 1;
      const bool crlf = withFeed >= 2 && feed[-1] == '\r';
      if (withFeed - crlf <= kMaxLineLength) length = withFeed;
    }
    *line = std::string_view(first, length);
    m_begin += length;
    return true;
  }

private:
  static constexpr size_t kPadding = 16;

  static size_t BufferCapacity(int64_t fileSize) noexcept {
    const bool small = fileSize >= 0 && static_cast<uint64_t>(fileSize) < kReadChunk;
    return (small ? static_cast<size_t>(fileSize) : kReadChunk) + kLineWindow;
  }

  // Moves the unread rest (less than a window) to the front and reads
  // behind it until the buffer is full or the file ends.
  void Refill() noexcept {
    const size_t rest = m_end - m_begin;
    std::memmove(m_buffer.get(), m_buffer.get() + m_begin, rest);
    const size_t wanted = m_capacity - rest;
    const size_t got = m_file.Read(m_buffer.get() + rest, wanted);
    m_begin = 0;
    m_end = rest + got;
    m_atEnd = got < wanted;
    if (m_checkForm && HoldsBinaryByte(m_buffer.get() + rest, got)) {
      m_sawBinaryByte = true;
      m_end = 0;
      m_atEnd = true;
    }
  }

  File& m_file;
  size_t m_capacity;
  std::unique_ptr<char[]> m_buffer;
  size_t m_begin = 0;  // first unread byte
  size_t m_end = 0;    // end of the bytes read
  bool m_atEnd = false;
  bool m_checkForm = true;
  bool m_sawBinaryByte = false;
};

// Tokens are separated by runs of comma, space, carriage return, line feed
// and tab.
constexpr uint64_t kDelimiterMask =
    uint64_t{1} << ',' | uint64_t{1} << ' ' | uint64_t{1} << '\r' | uint64_t{1} << '\n' | uint64_t{1} << '\t';

bool IsDelimiter(char c) noexcept {
  const auto u = static_cast<unsigned char>(c);
  return u < 64 && (kDelimiterMask >> u & 1) != 0;
}

const char* SkipDelimiters(const char* p, const char* end) noexcept {
  while (p != end && IsDelimiter(*p)) ++p;
  return p;
}

const char* SkipToken(const char* p, const char* end) noexcept {
  while (p != end && !IsDelimiter(*p)) ++p;
  return p;
}

enum class Keyword { kNone, kSolid, kFacet, kVertex, kEndFacet };

// Compares an ASCII token with a lower-case keyword without regard to case.
bool EqualsKeyword(std::string_view token, std::string_view keyword) noexcept {
  if (token.size() != keyword.size()) return false;
  for (size_t i = 0; i < token.size(); ++i) {
    // Setting bit 5 folds exactly 'A'-'Z' onto 'a'-'z' among the letters
    // compared with here.
    if ((token[i] | 0x20) != keyword[i]) return false;
  }
  return true;
}

Keyword KeywordOf(std::string_view token) noexcept {
  switch (token.size()) {
    case 5:
      if (EqualsKeyword(token, "facet")) return Keyword::kFacet;
      if (EqualsKeyword(token, "solid")) return Keyword::kSolid;
      return Keyword::kNone;
    case 6:
      return EqualsKeyword(token, "vertex") ? Keyword::kVertex : Keyword::kNone;
    case 8:
      return EqualsKeyword(token, "endfacet") ? Keyword::kEndFacet : Keyword::kNone;
    default:
      return Keyword::kNone;
  }
}

// The first token of a line and where it ends; an empty token when the line
// holds only delimiters.
struct FirstToken {
  std::string_view token;
  const char* end;
};

FirstToken FirstTokenOf(std::string_view line) noexcept {
  const char* lineEnd = line.data() + line.size();
  const char* first = SkipDelimiters(line.data(), lineEnd);
  const char* last = SkipToken(first, lineEnd);
  return {std::string_view(first, static_cast<size_t>(last - first)), last};
}

// ---- numbers ---------------------------------------------------------------

// A number read from text: its value and the first character after it.
// ptr equals the start of the text when there is no number (value 0).
struct ParsedNumber {
  double value;
  const char* ptr;
};

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// Negates a non-negative value by its sign bit, without a branch.
double WithSign(double magnitude, bool negative) noexcept {
  return std::bit_cast<double>(std::bit_cast<uint64_t>(magnitude) | uint64_t{negative} << 63);
}

// The rare numbers std::from_chars leaves out of range: strtod in the "C"
// locale decides between infinity and zero.  The text is at most a line long.
double ParseOutOfRange(const char* first, const char* last) noexcept {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  char text[kMaxLineLength + 1];
  const size_t length = std::min(static_cast<size_t>(last - first), kMaxLineLength);
  std::memcpy(text, first, length);
  text[length] = '\0';
  return cLocale ? strtod_l(text, nullptr, cLocale) : std::strtod(text, nullptr);
}

// Everything the fast path does not take: long mantissas, large exponents,
// "inf", "nan", hexadecimal and text that is no number.  first points after
// the sign.  Exact, since std::from_chars rounds correctly.
ParsedNumber ParseNumberSlowly(const char* first, const char* last) noexcept {
  if (first == last || *first == '+' || *first == '-') return {0.0, nullptr};  // a second sign
  double value = 0.0;
  std::from_chars_result result;
  const bool hex = last - first >= 2 && first[0] == '0' && (first[1] | 0x20) == 'x';
  if (hex) {
    // strtod reads "0x" followed by hexadecimal digits; without them, just
    // "0".  from_chars would also take "inf" and "nan" behind the "0x".
    const char* digits = first + 2;
    if (digits != last && *digits == '.') ++digits;
    if (digits == last || !std::isxdigit(static_cast<unsigned char>(*digits))) return {0.0, first + 1};
    result = std::from_chars(first + 2, last, value, std::chars_format::hex);
    if (result.ec == std::errc::invalid_argument) return {0.0, first + 1};
  } else {
    result = std::from_chars(first, last, value);
    if (result.ec == std::errc::invalid_argument) return {0.0, nullptr};
  }
  if (result.ec == std::errc::result_out_of_range) value = ParseOutOfRange(first, result.ptr);
  return {value, result.ptr};
}

// Reads a number the way strtod reads it in the "C" locale, whatever the
// process's locale: optional white space and sign, then a decimal number
// with optional exponent, "inf", "infinity", "nan" or a hexadecimal number.
// Delimiters are never part of a number, so the number ends before the next
// delimiter by itself.
//
// Coordinates are short decimals ("-1.234567e+01"), so they take a fast
// path: a mantissa of at most 19 digits that is below 2^53 and a power of
// ten up to 10^22 are both exact doubles, and one multiplication or division
// of two exact doubles rounds correctly.  Everything else goes to
// std::from_chars.
ParsedNumber ParseNumber(const char* first, const char* last) noexcept {
  const char* p = first;
  // strtod skips leading white space; the other kinds are delimiters.
  while (p != last && (*p == '\v' || *p == '\f')) ++p;
  // Signs are random in real coordinates: read them without branches.
  const bool negative = p != last && *p == '-';
  p += p != last && (*p == '-' || *p == '+');
  const char* digits = p;

  uint64_t mantissa = 0;
  int digitCount = 0;
  int exponent = 0;
  for (; p != last && IsDigit(*p); ++p, ++digitCount)
    mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  const bool hexPrefix = digitCount == 1 && mantissa == 0 && p != last && (*p | 0x20) == 'x';
  if (p != last && *p == '.') {
    for (++p; p != last && IsDigit(*p); ++p, ++digitCount, --exponent)
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  }
  // 19 digits cannot overflow the 64-bit mantissa.
  if (digitCount == 0 || digitCount > 19 || hexPrefix) {
    const ParsedNumber slow = ParseNumberSlowly(digits, last);
    if (!slow.ptr) return {0.0, first};
    return {WithSign(slow.value, negative), slow.ptr};
  }
  if (p != last && (*p | 0x20) == 'e') {
    // An exponent without digits is not part of the number: "1e" reads as 1.
    const char* q = p + 1;
    const int sign = q != last && *q == '-' ? -1 : 1;
    q += q != last && (*q == '-' || *q == '+');
    if (q != last && IsDigit(*q)) {
      int value = 0;
      for (; q != last && IsDigit(*q); ++q)
        if (value < 100000) value = value * 10 + (*q - '0');  // beyond any double; the slow path decides
      exponent += sign * value;
      p = q;
    }
  }
  constexpr uint64_t kExactMantissa = uint64_t{1} << 53;
  if (mantissa > kExactMantissa || exponent < -22 || exponent > 22) {
    const ParsedNumber slow = ParseNumberSlowly(digits, last);
    return {WithSign(slow.value, negative), slow.ptr};
  }
  double value = static_cast<double>(mantissa);
  value = exponent < 0 ? value / kPowersOfTen[-exponent] : value * kPowersOfTen[exponent];
  return {WithSign(value, negative), p};
}

// ---- ASCII form ------------------------------------------------------------

// State of the fill pass.
struct AsciiFill {
  RecordFill record;
  // "vertex" lines taken since the last "facet".  It starts at 3, so vertex
  // lines before the first "facet" are dropped like a facet's fourth vertex:
  // only "facet" lines open room for vertices, and the counting pass sized
  // the vertex block for three per "facet".
  uint32_t corner = 3;
  uint32_t vertex = 0;    // next vertex to store
  uint32_t triangle = 0;  // the triangle the next "endfacet" closes
};

// "vertex x y z": the corner is stored as the next vertex and becomes
// corner c of the current triangle.  Missing numbers read as 0.
void ReadVertex(const char* p, const char* end, AsciiFill& fill) noexcept {
  const uint32_t facetCount = fill.record.facetCount;
  if (fill.corner >= 3 || fill.vertex >= 3 * facetCount) return;
  float xyz[3];
  for (float& coordinate : xyz) {
    p = SkipDelimiters(p, end);
    const ParsedNumber number = ParseNumber(p, end);
    coordinate = static_cast<float>(number.value);
    p = SkipToken(number.ptr, end);
  }
  fill.record.vertices[fill.vertex] = ModelExchangeVertex{xyz[0], xyz[1], xyz[2]};
  // "endfacet" lines beyond the counted facets have moved the triangle
  // cursor past the block; the corner is kept but belongs to no triangle.
  if (fill.triangle < facetCount)
    fill.record.triangles[fill.triangle].vertexIndex[fill.corner] = static_cast<int32_t>(fill.vertex);
  ++fill.vertex;
  ++fill.corner;
}

// "endfacet" closes the current triangle into the group, while there are
// triangles left to close.
void CloseFacet(AsciiFill& fill) noexcept {
  if (fill.triangle >= fill.record.facetCount) return;
  fill.record.indices[fill.triangle] = fill.triangle;
  ++fill.triangle;
}

// "solid name": everything after the delimiter that ended the keyword, up to
// the line end, spaces included.  An empty rest keeps the current name.
void ReadSolidName(std::string_view line, const char* keywordEnd, AsciiFill& fill) noexcept {
  const char* lineEnd = line.data() + line.size();
  if (keywordEnd == lineEnd) return;
  std::string_view rest(keywordEnd + 1, static_cast<size_t>(lineEnd - keywordEnd - 1));
  // The line end is "\n" or "\r\n"; a lone "\r" before it is text.
  if (!rest.empty() && rest.back() == '\n') {
    rest.remove_suffix(1);
    if (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
  }
  if (!rest.empty()) SetName(fill.record.name, rest);
}

void ReadAsciiLine(std::string_view line, AsciiFill& fill) noexcept {
  const FirstToken first = FirstTokenOf(line);
  switch (KeywordOf(first.token)) {
    case Keyword::kVertex:
      ReadVertex(first.end, line.data() + line.size(), fill);
      break;
    case Keyword::kFacet:
      fill.corner = 0;
      break;
    case Keyword::kEndFacet:
      CloseFacet(fill);
      break;
    case Keyword::kSolid:
      ReadSolidName(line, first.end, fill);
      break;
    case Keyword::kNone:
      break;  // "outer loop", "endloop", "endsolid", empty lines, anything else
  }
}

// Counting pass: lines (as the reader cuts them) and lines that start with
// "facet".
struct AsciiCounts {
  uint64_t lines = 0;
  uint64_t facets = 0;
};

// Whether the first token of a line is "facet", without regard to case:
// all the counting pass needs to know of a line.
bool StartsWithFacet(std::string_view line) noexcept {
  const char* end = line.data() + line.size();
  const char* p = SkipDelimiters(line.data(), end);
  const auto length = static_cast<size_t>(end - p);
  return length >= 5 && EqualsKeyword(std::string_view(p, 5), "facet") && (length == 5 || IsDelimiter(p[5]));
}

AsciiCounts CountAscii(LineReader& reader) noexcept {
  AsciiCounts counts;
  std::string_view line;
  while (reader.Next(&line)) {
    ++counts.lines;
    counts.facets += StartsWithFacet(line);
  }
  return counts;
}

int FillAscii(LineReader& reader, const AsciiCounts& counts, ProgressCallback callback,
              ModelExchangeRecord* record) noexcept {
  if (counts.facets == 0 || counts.facets > kMaxFacets || !reader.Rewind()) return kFailed;
  AsciiFill fill;
  if (!AllocRecord(record, static_cast<uint32_t>(counts.facets), &fill.record)) return kFailed;
  // The total is one more than the lines, so the bar never reaches its end
  // before the reader does.
  const int total = ProgressValue(counts.lines + 1);
  std::string_view line;
  for (uint64_t k = 0;; ++k) {
    if (callback && k % kProgressStep == 0 && callback(ProgressValue(k), total) == 0)
      return Abandon(record, kCancelled);
    if (!reader.Next(&line)) return Finish(record);
    ReadAsciiLine(line, fill);
  }
}

// ---- paths -----------------------------------------------------------------

// The extension of a path: the text from the last point of its file-name
// part, empty when there is none.  Either slash separates directories.
std::string_view ExtensionOf(std::string_view path) noexcept {
  const size_t slash = path.find_last_of("/\\");
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t point = name.rfind('.');
  return point == std::string_view::npos ? std::string_view() : name.substr(point);
}

}  // namespace

// ---- entry points ------------------------------------------------------------

PILVO_PLUGIN_EXPORT int GetFilterInfo(HGLOBAL* filterText, HGLOBAL* pattern) {
  if (!filterText || !pattern) return 0;
  HGLOBAL text = AllocTextBlock(kFilterText);
  HGLOBAL extension = AllocTextBlock(kPattern);
  if (!text || !extension) {
    GlobalFree(text);
    GlobalFree(extension);
    return 0;
  }
  *filterText = text;
  *pattern = extension;
  return 1;
}

PILVO_PLUGIN_EXPORT int IsSupported(const char* path) {
  if (!path) return 0;
  const std::string_view extension = ExtensionOf(path);
  return extension.size() == 4 && extension[0] == '.' && EqualsKeyword(extension.substr(1), "stl") ? 1 : 0;
}

PILVO_PLUGIN_EXPORT int LoadModel(const char* path, ProgressCallback callback, ModelExchangeRecord* record) {
  if (!path || !record) return kFailed;
  std::memset(record, 0, sizeof *record);
  File file(path);
  if (!file.IsOpen()) return kFailed;
  // One pass decides the form and, for an ASCII file, counts its lines and
  // facets; a binary file is then read again from its start.  Binary and
  // text mode read the same bytes here, so one open file serves both.
  LineReader reader(file);
  if (!reader.IsReady()) return kFailed;
  const AsciiCounts counts = CountAscii(reader);
  if (reader.SawBinaryByte()) return file.Rewind() ? ReadBinary(file, callback, record) : kFailed;
  return FillAscii(reader, counts, callback, record);
}
