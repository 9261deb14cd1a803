#pragma once

#include "reradu/name_tables.h"

#include <QDialog>
#include <QWidget>

class QComboBox;
class QPushButton;
class QSpinBox;

// "RERadu Setup": built at start-up, which fills the name tables; this
// program never shows it and never reads its values back.
class Treradu_setup_form : public QDialog {
  Q_OBJECT
public:
  explicit Treradu_setup_form(QdNameTables &names, QWidget *parent = nullptr);

  // Lines.
  QSpinBox *lines_box() const { return SpinEdit1; }
  // Rows Between Text.
  QSpinBox *rows_between_box() const { return SpinEdit2; }
  // Characters Per Line.
  QSpinBox *characters_box() const { return SpinEdit3; }
  // Font.
  QComboBox *font_box() const { return ComboBox1; }

private:
  void FormCreate();

  QSpinBox *SpinEdit1 = nullptr;
  QSpinBox *SpinEdit2 = nullptr;
  QSpinBox *SpinEdit3 = nullptr;
  QComboBox *ComboBox1 = nullptr;
  QPushButton *BitBtn1 = nullptr;
  QdNameTables &names_;
};

// The RERadu globals window: empty, never shown.
class Treradu_globals_form : public QWidget {
  Q_OBJECT
public:
  explicit Treradu_globals_form(QWidget *parent = nullptr);
};
