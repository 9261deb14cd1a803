#include "reradu_setup_form.h"

#include "toolkit/outer_size.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>

namespace {

QGroupBox *group(QWidget *parent, const QString &caption, QRect geometry) {
  auto *box = new QGroupBox(caption, parent);
  box->setGeometry(geometry);
  box->setAutoFillBackground(true);
  QPalette p = box->palette();
  p.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
  box->setPalette(p);
  return box;
}

QSpinBox *spin(QGroupBox *box) {
  auto *s = new QSpinBox(box);
  s->setGeometry(28, 16, 81, 26);
  QFont f = s->font();
  f.setBold(true);
  f.setPixelSize(13);
  s->setFont(f);
  return s;
}

} // namespace

Treradu_setup_form::Treradu_setup_form(QdNameTables &names, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      names_(names) {
  setWindowTitle(QStringLiteral("RERadu Setup"));
  keep_outer_size(this, QSize(182, 363), true);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(0xA6, 0xCA, 0xF0));
  setPalette(p);
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(11);
  setFont(f);

  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  BitBtn1->setGeometry(48, 296, 75, 33);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  QGroupBox *lines = group(this, QStringLiteral("Lines"), {12, 8, 141, 53});
  SpinEdit1 = spin(lines);
  QGroupBox *rows = group(this, QStringLiteral("Rows Between Text"), {12, 68, 141, 53});
  SpinEdit2 = spin(rows);
  QGroupBox *font = group(this, QStringLiteral("Font"), {4, 192, 165, 53});
  ComboBox1 = new QComboBox(font);
  ComboBox1->setGeometry(8, 20, 149, 24);
  ComboBox1->setEditable(false);
  QGroupBox *chars = group(this, QStringLiteral("Characters Per Line"), {12, 128, 141, 53});
  SpinEdit3 = spin(chars);
  setTabOrder(BitBtn1, SpinEdit1);
  setTabOrder(SpinEdit1, SpinEdit2);
  setTabOrder(SpinEdit2, ComboBox1);
  setTabOrder(ComboBox1, SpinEdit3);

  FormCreate();
}

void Treradu_setup_form::FormCreate() {
  fill_qd_name_tables(names_);
  SpinEdit1->setRange(4, 8);
  SpinEdit2->setRange(1, 6);
  SpinEdit3->setRange(10, 30);
  for (int i = 1; i <= 6; ++i)
    ComboBox1->addItem(QString::fromLatin1(names_.qd_font_names[size_t(i)]));
}

Treradu_globals_form::Treradu_globals_form(QWidget *parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("reradu_globals_form"));
}
