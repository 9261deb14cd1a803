#include "suite_settings.h"

#include "protocol/fields.h"
#include "toolkit/dialogs.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

QByteArray suite_real(double value) {
  if (std::isnan(value))
    return QByteArray("Nan").rightJustified(23, ' ');
  if (std::isinf(value))
    return QByteArray(value < 0 ? "-Inf" : "+Inf").rightJustified(23, ' ');
  if (value == 0.0) // also -0.0
    return " 0.00000000000000E+0000";
  // 15 significant digits; printf rounds and carries into the exponent.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14E", std::fabs(value));
  const char *e = std::strchr(buf, 'E');
  const int exponent = std::atoi(e + 1);
  QByteArray out(value < 0 ? "-" : " ");
  out += QByteArray(buf, int(e - buf));
  out += 'E';
  out += exponent < 0 ? '-' : '+';
  out += QByteArray::number(std::abs(exponent)).rightJustified(4, '0');
  return out;
}

namespace {

class Lines {
public:
  void integer(std::int64_t v) { line(QByteArray::number(v)); }
  void integers(const auto &table) {
    for (auto v : table)
      integer(v);
  }
  // Colours are stored as the 32-bit signed integers the suite reads.
  void colour(std::uint32_t v) { integer(std::int32_t(v)); }
  void flag(bool on) { line(on ? "1" : "0"); }
  void short_text(QByteArrayView v) { text(::short_text(v)); }
  void real(double v) { line(suite_real(v)); }
  // A line break inside a value would shift every later line for the
  // readers of the file: it becomes a blank.
  void text(QByteArrayView v) {
    QByteArray s = v.toByteArray();
    s.replace('\r', ' ').replace('\n', ' ');
    line(s);
  }
  int count() const { return count_; }
  QByteArray bytes;

private:
  void line(QByteArrayView v) {
    bytes += v;
    bytes += "\r\n";
    ++count_;
  }
  int count_ = 0;
};

} // namespace

QByteArray suite_settings_bytes(const suite_settings &s, const SuiteSettingsSources &src) {
  Lines out;
  out.integer(s.line1);
  out.integer(s.line2);
  out.short_text(s.line3);
  out.short_text(s.line4);
  out.real(s.line5);
  out.real(s.line6);
  out.integers(s.lines7_17);
  out.integers(s.table18_21);
  out.integers(s.lines22_24);
  out.integers(s.table25_55);
  out.short_text(s.line56);
  out.integers(s.lines57_60);
  out.integer(s.line61);
  out.text(s.line62);
  out.colour(src.colours.background);
  out.colour(src.colours.text);
  out.colour(src.colours.fixed);
  for (std::uint32_t c : s.colours4_11)
    out.colour(c);
  out.short_text(s.line74);
  out.short_text(s.line75);
  out.integers(s.lines76_81);
  out.short_text(src.listening_address);
  out.flag(src.rtd_ip_broadcast);
  out.text(s.line84);
  out.text(s.line85);
  out.integer(s.line86);
  out.integer(src.rtd_line87);
  out.integer(s.line88);
  out.text(s.html_folder);
  out.text(s.pdf_folder);
  out.text(s.csv_folder);
  out.text(s.fourth_folder);
  out.integer(s.line93);
  out.integer(s.line94);
  Q_ASSERT(out.count() == kSuiteSettingsLines);
  return out.bytes;
}

QString suite_settings_path(const suite_settings &settings, const DataFolder &data) {
  return data.file(QString::fromLocal8Bit(settings.path_prefix) +
                   QLatin1String(kSuiteSettingsFile));
}

FileSaveResult save_suite_settings(const suite_settings &settings,
                                   const SuiteSettingsSources &sources, const DataFolder &data) {
  return save_file_atomically(suite_settings_path(settings, data),
                              suite_settings_bytes(settings, sources));
}

bool report_suite_settings_save(const FileSaveResult &result, Dialogs &dialogs,
                                QWidget *parent) {
  if (result.status != FileSaveResult::failed)
    return false;
  dialogs.general_error(parent, result.error);
  return true;
}
