#include "app/SettingsStore.h"

#include <QSettings>

#include <charconv>
#include <cmath>
#include <limits>

namespace settingsstore {

namespace {

std::unique_ptr<QSettings>& OpenStore() {
  static std::unique_ptr<QSettings> store;
  return store;
}

}  // namespace

void OpenUserStore(const QString& productName) {
  OpenStore() = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Quandel"), productName);
}

void OpenFile(const QString& path) { OpenStore() = std::make_unique<QSettings>(path, QSettings::IniFormat); }

bool IsOpen() { return OpenStore() != nullptr; }

QSettings& Store() {
  if (!OpenStore()) OpenStore() = std::make_unique<QSettings>();
  return *OpenStore();
}

void Sync() {
  if (OpenStore()) OpenStore()->sync();
}

QString FormatFixed(double value, int decimals) {
  if (!std::isfinite(value)) value = 0.0;
  char buffer[512];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return QStringLiteral("0.000000");
  return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

bool ParseDecimal(const QString& text, double& value) {
  const QByteArray bytes = text.trimmed().toLatin1();
  const char* first = bytes.constData();
  const char* last = first + bytes.size();
  if (first != last && *first == '+') ++first;  // "%f" never writes '+', but a person might
  double parsed;
  const auto result = std::from_chars(first, last, parsed);
  if (result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

}  // namespace settingsstore

CProfileSection::CProfileSection(bool save, const QString& section)
    : m_save(save), m_store(settingsstore::Store()) {
  m_store.beginGroup(section);
}

CProfileSection::~CProfileSection() { m_store.endGroup(); }

bool CProfileSection::ReadInt(const QString& key, int64_t& value) const {
  const QVariant stored = m_store.value(key);
  if (!stored.isValid()) return false;
  bool ok = false;
  const qlonglong parsed = stored.toString().trimmed().toLongLong(&ok);
  if (!ok) return false;
  value = parsed;
  return true;
}

bool CProfileSection::ReadText(const QString& key, QString& value) const {
  const QVariant stored = m_store.value(key);
  if (!stored.isValid()) return false;
  value = stored.toString();
  return true;
}

void CProfileSection::WriteInt(const QString& key, int64_t value) { m_store.setValue(key, qlonglong(value)); }

void CProfileSection::WriteText(const QString& key, const QString& value) { m_store.setValue(key, value); }

void CProfileSection::Int(const QString& key, int32_t& value) {
  if (m_save) return WriteInt(key, value);
  int64_t read;
  if (ReadInt(key, read) && read >= std::numeric_limits<int32_t>::min() &&
      read <= std::numeric_limits<int32_t>::max())
    value = static_cast<int32_t>(read);
}

void CProfileSection::UInt(const QString& key, uint32_t& value) {
  if (m_save) return WriteInt(key, value);
  int64_t read;
  // Accepts the signed form as well: the store may hold 0xFFFFFFFF as -1.
  if (ReadInt(key, read) && read >= std::numeric_limits<int32_t>::min() &&
      read <= std::numeric_limits<uint32_t>::max())
    value = static_cast<uint32_t>(read);
}

void CProfileSection::Bool(const QString& key, bool& value) {
  if (m_save) return WriteInt(key, value ? 1 : 0);
  int64_t read;
  if (ReadInt(key, read)) value = read != 0;
}

void CProfileSection::Color(const QString& key, COLORREF& value) {
  if (m_save) return WriteInt(key, value & 0xFFFFFF);
  int64_t read;
  if (ReadInt(key, read) && read >= 0 && read <= 0xFFFFFF) value = static_cast<COLORREF>(read);
}

void CProfileSection::Byte(const QString& key, uint8_t& value) {
  if (m_save) return WriteInt(key, value);
  int64_t read;
  if (ReadInt(key, read) && read >= 0 && read <= 255) value = static_cast<uint8_t>(read);
}

void CProfileSection::Double(const QString& key, double& value) {
  if (m_save) return WriteText(key, settingsstore::FormatFixed(value));
  QString text;
  if (ReadText(key, text) && !text.isEmpty()) settingsstore::ParseDecimal(text, value);
}

void CProfileSection::Float(const QString& key, float& value) {
  double wide = value;
  Double(key, wide);
  if (!m_save && std::fabs(wide) <= std::numeric_limits<float>::max()) value = static_cast<float>(wide);
}

void CProfileSection::Text(const QString& key, QString& value) {
  if (m_save) return WriteText(key, value);
  ReadText(key, value);
}

void CProfileSection::Text(const QString& key, std::wstring& value) {
  QString text = ToQString(value);
  Text(key, text);
  if (!m_save) value = ToWString(text);
}
