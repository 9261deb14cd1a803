#include "protocol/fields.h"
#include "protocol/text8.h"

#include <QTest>

class FieldsTest : public QObject {
  Q_OBJECT
private slots:
  void tag_value_data();
  void tag_value();
  void tag_value_unbounded_data();
  void tag_value_unbounded();
  void flags_and_occurrence_data();
  void flags_and_occurrence();
  void leading_number_data();
  void leading_number();
  void strict_number_data();
  void strict_number();
  void trim_spaces_data();
  void trim_spaces();
  void comma_field_data();
  void comma_field();
  void cut_at_point_data();
  void cut_at_point();
  void windows_1252_text();
  void to_8bit_each_character_data();
  void to_8bit_each_character();
};

namespace {
const QByteArray kWorked =
    "{scratch}+{list}3{rank}4{bib}27{name}A. RIDER{nat}GBR{status}{laps}12{eop}";
}

void FieldsTest::tag_value_data() {
  QTest::addColumn<QByteArray>("packet");
  QTest::addColumn<QByteArray>("tag");
  QTest::addColumn<QByteArray>("value");
  QTest::newRow("flag") << kWorked << QByteArray("{scratch}") << QByteArray("+");
  QTest::newRow("list") << kWorked << QByteArray("{list}") << QByteArray("3");
  QTest::newRow("name") << kWorked << QByteArray("{name}") << QByteArray("A. RIDER");
  QTest::newRow("empty value") << kWorked << QByteArray("{status}") << QByteArray();
  QTest::newRow("laps") << kWorked << QByteArray("{laps}") << QByteArray("12");
  QTest::newRow("eop at end") << kWorked << QByteArray("{eop}") << QByteArray();
  QTest::newRow("absent") << kWorked << QByteArray("{title}") << QByteArray();
  QTest::newRow("first occurrence") << QByteArray("{a}1{a}2") << QByteArray("{a}")
                                    << QByteArray("1");
  QTest::newRow("value to end") << QByteArray("{clr}+") << QByteArray("{clr}") << QByteArray("+");
  QTest::newRow("closing brace inside") << QByteArray("{title}A}B{eop}") << QByteArray("{title}")
                                        << QByteArray("A}B");
  QTest::newRow("case sensitive") << QByteArray("{Title}X") << QByteArray("{title}")
                                  << QByteArray();
  QTest::newRow("no tag inside longer") << QByteArray("{lines}5") << QByteArray("{line}")
                                        << QByteArray();
  QTest::newRow("sprint not in sprintf")
      << QByteArray("{sprintf}+") << QByteArray("{sprint}") << QByteArray();
  QTest::newRow("window 249") << QByteArray("{title}") + QByteArray(300, 'x')
                              << QByteArray("{title}") << QByteArray(249, 'x');
  QTest::newRow("window later in packet")
      << QByteArray(600, 'a') + "{t}" + QByteArray(300, 'y') << QByteArray("{t}")
      << QByteArray(253, 'y');
  QTest::newRow("8-bit") << QByteArray("{name}\xC9lise{eop}") << QByteArray("{name}")
                         << QByteArray("\xC9lise");
  QTest::newRow("start of the tag before it") << QByteArray("{tit{title}X{eop}")
                                              << QByteArray("{title}") << QByteArray("X");
  QTest::newRow("tag is the whole packet") << QByteArray("{eop}") << QByteArray("{eop}")
                                           << QByteArray();
  QTest::newRow("packet shorter than the tag") << QByteArray("{ti") << QByteArray("{title}")
                                               << QByteArray();
  QTest::newRow("tag cut off at the end") << QByteArray("{a}1{titl") << QByteArray("{title}")
                                          << QByteArray();
  QTest::newRow("second character elsewhere first")
      << QByteArray("ti{x}t{tit{ti}{title}Y") << QByteArray("{title}") << QByteArray("Y");
  QTest::newRow("second character at the very start") << QByteArray("t{t}1") << QByteArray("{t}")
                                                      << QByteArray("1");
  QTest::newRow("two characters") << QByteArray("{a}1{b}2") << QByteArray("{b")
                                  << QByteArray("2");
  QTest::newRow("one character") << QByteArray("ab:c}d") << QByteArray(":") << QByteArray("d");
  QTest::newRow("one character absent") << QByteArray("abc}d") << QByteArray(":")
                                        << QByteArray();
  QTest::newRow("empty packet") << QByteArray() << QByteArray("{a}") << QByteArray();
  QTest::newRow("empty tag") << QByteArray("{a}1") << QByteArray() << QByteArray();
}

void FieldsTest::tag_value() {
  QFETCH(QByteArray, packet);
  QFETCH(QByteArray, tag);
  QFETCH(QByteArray, value);
  QCOMPARE(::tag_value(packet, tag).toByteArray(), value);
}

void FieldsTest::tag_value_unbounded_data() {
  QTest::addColumn<QByteArray>("packet");
  QTest::addColumn<QByteArray>("tag");
  QTest::addColumn<QByteArray>("value");
  const QByteArray omnium = "{omnium}+{line}0{0}Rank{1}{2}Name";
  QTest::newRow("0") << omnium << QByteArray("{0}") << QByteArray("Rank");
  QTest::newRow("1 empty") << omnium << QByteArray("{1}") << QByteArray();
  QTest::newRow("2 to end") << omnium << QByteArray("{2}") << QByteArray("Name");
  QTest::newRow("3 absent") << omnium << QByteArray("{3}") << QByteArray();
  QTest::newRow("1 not in 12") << QByteArray("{12}x") << QByteArray("{1}") << QByteArray();
  QTest::newRow("1 after 12") << QByteArray("{12}x{1}y") << QByteArray("{1}") << QByteArray("y");
  QTest::newRow("tag at the very end") << QByteArray("{0}a{1}") << QByteArray("{1}")
                                       << QByteArray();
  QTest::newRow("300 characters") << QByteArray("{title}") + QByteArray(300, 'x')
                                  << QByteArray("{title}") << QByteArray(300, 'x');
}

void FieldsTest::tag_value_unbounded() {
  QFETCH(QByteArray, packet);
  QFETCH(QByteArray, tag);
  QFETCH(QByteArray, value);
  QCOMPARE(::tag_value_unbounded(packet, tag).toByteArray(), value);
}

void FieldsTest::flags_and_occurrence_data() {
  QTest::addColumn<QByteArray>("packet");
  QTest::addColumn<bool>("flag");
  QTest::addColumn<bool>("occurs");
  QTest::newRow("plus") << QByteArray("{k}+") << true << true;
  QTest::newRow("plus then tag") << QByteArray("{k}+{x}") << true << true;
  QTest::newRow("plus blank") << QByteArray("{k}+ {x}") << false << true;
  QTest::newRow("blank plus") << QByteArray("{k} +") << false << true;
  QTest::newRow("double plus") << QByteArray("{k}++") << false << true;
  QTest::newRow("minus") << QByteArray("{k}-") << false << true;
  QTest::newRow("empty") << QByteArray("{k}{x}") << false << true;
  QTest::newRow("absent") << QByteArray("{x}+") << false << false;
}

void FieldsTest::flags_and_occurrence() {
  QFETCH(QByteArray, packet);
  QFETCH(bool, flag);
  QFETCH(bool, occurs);
  QCOMPARE(is_flag(packet, "{k}"), flag);
  QCOMPARE(has_tag(packet, "{k}"), occurs);
}

void FieldsTest::leading_number_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("value");
  QTest::newRow("12") << QByteArray("12") << 12;
  QTest::newRow("blank 7") << QByteArray(" 7") << 7;
  QTest::newRow("3rd") << QByteArray("3rd") << 3;
  QTest::newRow("abc") << QByteArray("abc") << 0;
  QTest::newRow("-4") << QByteArray("-4") << -4;
  QTest::newRow("+4") << QByteArray("+4") << 4;
  QTest::newRow("$1F") << QByteArray("$1F") << 31;
  QTest::newRow("x1f") << QByteArray("x1f") << 31;
  QTest::newRow("0x10") << QByteArray("0x10") << 16;
  QTest::newRow("0X10") << QByteArray("0X10") << 16;
  QTest::newRow("x alone") << QByteArray("x") << 0;
  QTest::newRow("empty") << QByteArray() << 0;
  QTest::newRow("blanks only") << QByteArray("   ") << 0;
  QTest::newRow("sign only") << QByteArray("-") << 0;
  QTest::newRow("1.5") << QByteArray("1.5") << 1;
  QTest::newRow("max") << QByteArray("2147483647") << 2147483647;
  QTest::newRow("min") << QByteArray("-2147483648") << int(-2147483647 - 1);
  QTest::newRow("over max saturates") << QByteArray("2147483648") << 2147483647;
  QTest::newRow("far over saturates") << QByteArray("99999999999999999999999") << 2147483647;
  QTest::newRow("under min saturates") << QByteArray("-99999999999999999999") << int(-2147483647 - 1);
  QTest::newRow("hex over saturates") << QByteArray("$FFFFFFFFFF") << 2147483647;
  QTest::newRow("tab is not a blank") << QByteArray("\t5") << 0;
}

void FieldsTest::leading_number() {
  QFETCH(QByteArray, text);
  QFETCH(int, value);
  QCOMPARE(::leading_number(text), value);
}

void FieldsTest::strict_number_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<bool>("ok");
  QTest::addColumn<int>("value");
  QTest::newRow("12") << QByteArray("12") << true << 12;
  QTest::newRow("blank 12") << QByteArray(" 12") << true << 12;
  QTest::newRow("-3") << QByteArray("-3") << true << -3;
  QTest::newRow("$1F") << QByteArray("$1F") << true << 31;
  QTest::newRow("empty") << QByteArray() << false << 0;
  QTest::newRow("12 blank") << QByteArray("12 ") << false << 0;
  QTest::newRow("1.5") << QByteArray("1.5") << false << 0;
  QTest::newRow("x") << QByteArray("x") << false << 0;
  QTest::newRow("sign only") << QByteArray("+") << false << 0;
  QTest::newRow("max") << QByteArray("2147483647") << true << 2147483647;
  QTest::newRow("min") << QByteArray("-2147483648") << true << int(-2147483647 - 1);
  QTest::newRow("overflow fails") << QByteArray("2147483648") << false << 0;
  QTest::newRow("huge fails") << QByteArray("99999999999999999999") << false << 0;
}

void FieldsTest::strict_number() {
  QFETCH(QByteArray, text);
  QFETCH(bool, ok);
  QFETCH(int, value);
  const auto r = ::strict_number(text);
  QCOMPARE(r.has_value(), ok);
  if (ok)
    QCOMPARE(*r, value);
}

void FieldsTest::trim_spaces_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QByteArray>("trimmed");
  QTest::newRow("both ends") << QByteArray("  a b  ") << QByteArray("a b");
  QTest::newRow("blanks only") << QByteArray("    ") << QByteArray();
  QTest::newRow("empty") << QByteArray() << QByteArray();
  QTest::newRow("tabs kept") << QByteArray("\ta\t") << QByteArray("\ta\t");
}

void FieldsTest::trim_spaces() {
  QFETCH(QByteArray, text);
  QFETCH(QByteArray, trimmed);
  QCOMPARE(::trim_spaces(text).toByteArray(), trimmed);
}

void FieldsTest::comma_field_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("n");
  QTest::addColumn<QByteArray>("field");
  const QByteArray eight = "a, b ,,c";
  QTest::newRow("1") << eight << 1 << QByteArray("a");
  QTest::newRow("2 trimmed") << eight << 2 << QByteArray("b");
  QTest::newRow("3 empty") << eight << 3 << QByteArray();
  QTest::newRow("4") << eight << 4 << QByteArray("c");
  QTest::newRow("5") << eight << 5 << QByteArray();
  QTest::newRow("6") << eight << 6 << QByteArray();
  QTest::newRow("0") << eight << 0 << QByteArray();
  QTest::newRow("empty text") << QByteArray() << 1 << QByteArray();
  QTest::newRow("empty text 3") << QByteArray() << 3 << QByteArray();
  QTest::newRow("trailing comma") << QByteArray("a,b,") << 2 << QByteArray("b");
  QTest::newRow("after trailing comma") << QByteArray("a,b,") << 3 << QByteArray();
  QTest::newRow("cut to 255") << QByteArray("x,") + QByteArray(300, 'y') << 2
                              << QByteArray(255, 'y');
  QTest::newRow("cut before trim") << QByteArray(",") + QByteArray(254, 'y') + "  z" << 2
                                   << QByteArray(254, 'y');
  QTest::newRow("reradu example") << QByteArray("{reradu}+{data},FINAL SPRINT,HEAT 2, ,,,,,,")
                                  << 3 << QByteArray("HEAT 2");
}

void FieldsTest::comma_field() {
  QFETCH(QByteArray, text);
  QFETCH(int, n);
  QFETCH(QByteArray, field);
  QCOMPARE(::comma_field(text, n).toByteArray(), field);
}

void FieldsTest::cut_at_point_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<QByteArray>("cut");
  QTest::newRow("time") << QByteArray("12:34:56.78") << QByteArray("12:34:56");
  QTest::newRow("no point") << QByteArray("12:34") << QByteArray("12:34");
  QTest::newRow("first point") << QByteArray("a.b.c") << QByteArray("a");
  QTest::newRow("only 50 removed") << QByteArray("a.") + QByteArray(49, 'x') + "TAIL"
                                   << QByteArray("aTAIL");
}

void FieldsTest::cut_at_point() {
  QFETCH(QByteArray, text);
  QFETCH(QByteArray, cut);
  QCOMPARE(::cut_at_point(text), cut);
}

void FieldsTest::windows_1252_text() {
  QCOMPARE(from_8bit("\x80"), QString(QChar(0x20AC)));
  QCOMPARE(from_8bit("\xE9"), QString(QChar(0xE9)));
  QCOMPARE(to_8bit(QString(QChar(0x20AC))), QByteArray("\x80"));
  QByteArray all;
  for (int b = 0; b < 256; ++b)
    all.append(char(b));
  QCOMPARE(from_8bit(all).size(), 256);
  QCOMPARE(to_8bit(from_8bit(all)), all);
}

void FieldsTest::to_8bit_each_character_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QByteArray>("bytes");
  QTest::newRow("euro") << QString::fromUtf8("€") << QByteArray("\x80");
  QTest::newRow("outside the code page") << QString::fromUtf8("Ā") << QByteArray("?");
  QTest::newRow("euro then outside") << QString::fromUtf8("€Ā") << QByteArray("\x80?");
  QTest::newRow("mixed line")
      << QString::fromUtf8("Zürich – Łódź €5") << QByteArray("Z\xFC" "rich \x96 ?\xF3" "d? \x80" "5");
  QTest::newRow("outside the basic plane is one character")
      << QString::fromUtf8("a😀b") << QByteArray("a?b");
  QTest::newRow("a lone surrogate") << QString(QChar(0xD800)) + "x" << QByteArray("?x");
}

void FieldsTest::to_8bit_each_character() {
  QFETCH(QString, text);
  QFETCH(QByteArray, bytes);
  QCOMPARE(to_8bit(text), bytes);
}

QTEST_APPLESS_MAIN(FieldsTest)
#include "fields_test.moc"
