#include "browser_view_form.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

Tbrowser_view_form::Tbrowser_view_form(QWidget *parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Browser View"));
  setAccessibleName(windowTitle());
  CheckBox1 = new QCheckBox(QStringLiteral("&Serve the screens to browsers"), this);
  Edit1 = new QLineEdit(this);
  Edit1->setAccessibleName(QStringLiteral("Address"));
  SpinEdit1 = new QSpinBox(this);
  SpinEdit1->setRange(1, 65535);
  SpinEdit1->setAccessibleName(QStringLiteral("Port"));
  Label3 = new QLabel(this);
  Label3->setTextFormat(Qt::PlainText);
  Label3->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label3->setAccessibleName(QStringLiteral("Addresses to open"));

  auto *form = new QFormLayout;
  form->addRow(QStringLiteral("&Address:"), Edit1);
  form->addRow(QStringLiteral("&Port:"), SpinEdit1);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(CheckBox1);
  layout->addLayout(form);
  layout->addWidget(Label3);
  layout->addWidget(buttons);

  connect(CheckBox1, &QCheckBox::toggled, this, &Tbrowser_view_form::show_urls);
  connect(Edit1, &QLineEdit::textChanged, this, &Tbrowser_view_form::show_urls);
  connect(SpinEdit1, &QSpinBox::valueChanged, this, &Tbrowser_view_form::show_urls);
  // OK only for an address the view can listen on.
  connect(Edit1, &QLineEdit::textChanged, this,
          [this, ok = buttons->button(QDialogButtonBox::Ok)] { ok->setEnabled(settings().has_value()); });
  set_settings({});
}

void Tbrowser_view_form::set_settings(const BrowserViewSettings &s) {
  CheckBox1->setChecked(s.on);
  Edit1->setText(s.address.toString());
  SpinEdit1->setValue(s.port);
  show_urls();
}

std::optional<BrowserViewSettings> Tbrowser_view_form::settings() const {
  auto s = parse_listen_address(Edit1->text().trimmed() + u':' + QString::number(SpinEdit1->value()));
  if (!s)
    return std::nullopt;
  s->on = CheckBox1->isChecked();
  return s;
}

void Tbrowser_view_form::set_local_addresses(const QList<QHostAddress> &addresses) {
  local_addresses_ = addresses;
  show_urls();
}

void Tbrowser_view_form::show_urls() {
  const auto s = settings();
  if (!s) {
    Label3->setText(QStringLiteral("The address must be an IPv4 address such as 0.0.0.0 (all)."));
    return;
  }
  const QStringList urls = browser_urls(s->address, s->port, local_addresses_);
  Label3->setText(QStringLiteral("Open on a tablet or phone:\n") + urls.join(u'\n'));
}
