#pragma once

#include "web/browser_settings.h"

#include <QDialog>
#include <QHostAddress>
#include <QList>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// "Browser View": switches the view on or off, where it listens, and the
// addresses to type on a tablet.
class Tbrowser_view_form : public QDialog {
  Q_OBJECT
public:
  explicit Tbrowser_view_form(QWidget *parent = nullptr);

  void set_settings(const BrowserViewSettings &settings);
  // What the operator chose; nothing while the address is not an IPv4 one.
  std::optional<BrowserViewSettings> settings() const;
  // This computer's addresses, for the addresses to type.
  void set_local_addresses(const QList<QHostAddress> &addresses);

  QCheckBox *CheckBox1 = nullptr; // on
  QLineEdit *Edit1 = nullptr;     // address
  QSpinBox *SpinEdit1 = nullptr;  // port
  QLabel *Label3 = nullptr;       // the addresses to type

private:
  void show_urls();

  QList<QHostAddress> local_addresses_;
};
