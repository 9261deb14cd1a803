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

  QSpinBox *SpinEdit1; // Lines
  QSpinBox *SpinEdit2; // Rows Between Text
  QSpinBox *SpinEdit3; // Characters Per Line
  QComboBox *ComboBox1; // Font
  QPushButton *BitBtn1; // OK

private:
  void FormCreate();
  QdNameTables &names_;
};

// The RERadu globals window: empty, never shown.
class Treradu_globals_form : public QWidget {
  Q_OBJECT
public:
  explicit Treradu_globals_form(QWidget *parent = nullptr);
};
