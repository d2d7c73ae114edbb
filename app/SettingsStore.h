// The per-user settings store and the conventions every settings section
// follows.
//
// Each class that keeps settings owns one section and reads or writes all of
// it in one Profile(save) operation.  Integers, switches and colours are
// integers read back with the current value as default; floating-point values
// are "%f" strings where an empty or unreadable string keeps the current
// value; texts are strings.  A value that cannot be read never replaces the
// constructor's default, so a damaged file still starts the program.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <string>

class QSettings;

// Colours cross interfaces as 0x00BBGGRR, red in the low byte.
using COLORREF = uint32_t;
constexpr COLORREF MakeColorRef(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr uint8_t RedOf(COLORREF c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t GreenOf(COLORREF c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t BlueOf(COLORREF c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

namespace settingsstore {

// Points the store at the user's file ~/.config/Quandel/<product>.conf.
void OpenUserStore(const QString& productName);
// Points the store at one INI file (tests and tools).
void OpenFile(const QString& path);
// True when a store has been opened.
bool IsOpen();
// The open store; opens the user store of the running product when none is open.
QSettings& Store();
// Writes pending changes to disk.
void Sync();

// "%f" formatting and decimal parsing that ignore the user's locale.
QString FormatFixed(double value, int decimals = 6);
bool ParseDecimal(const QString& text, double& value);

}  // namespace settingsstore

// One section of the store, opened for reading (save = false) or writing.
// Every accessor does the one that the section was opened for, so a class
// lists its keys once for both directions.
class CProfileSection {
public:
  CProfileSection(bool save, const QString& section);
  ~CProfileSection();
  CProfileSection(const CProfileSection&) = delete;
  CProfileSection& operator=(const CProfileSection&) = delete;

  bool saving() const { return m_save; }

  void Int(const QString& key, int32_t& value);
  void UInt(const QString& key, uint32_t& value);
  // Stored as 0 or 1; any non-zero integer reads as true.
  void Bool(const QString& key, bool& value);
  void Color(const QString& key, COLORREF& value);
  void Byte(const QString& key, uint8_t& value);
  // "%f" text; decimals 6.  An empty or unreadable text keeps the value.
  void Float(const QString& key, float& value);
  void Double(const QString& key, double& value);
  // Text; a missing key keeps the value.
  void Text(const QString& key, QString& value);
  void Text(const QString& key, std::wstring& value);

  // Raw access for keys with their own rules.
  bool ReadInt(const QString& key, int64_t& value) const;
  bool ReadText(const QString& key, QString& value) const;  // false when missing
  void WriteInt(const QString& key, int64_t value);
  void WriteText(const QString& key, const QString& value);

private:
  bool m_save;
  QSettings& m_store;
};

// Conversions between the viewer's wide strings and Qt's strings.
inline QString ToQString(const std::wstring& s) { return QString::fromStdWString(s); }
inline std::wstring ToWString(const QString& s) { return s.toStdWString(); }
