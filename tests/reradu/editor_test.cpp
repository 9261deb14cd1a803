#include "protocol/text8.h"
#include "reradu/qdimport_form.h"
#include "reradu/reradu_form.h"
#include "rtd/rtd_driver.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUdpSocket>
#include <QtTest>

namespace {

const QString frame_file = QStringLiteral("reradu.dat");

// A frame file whose frame n has "FRAME n" as line 1.
QByteArray labelled_frame_file() {
  QByteArray out;
  for (int n = 0; n < 100; ++n) {
    Tqd_frame f;
    f.set_line(0, "FRAME " + QByteArray::number(n));
    out.append(f.bytes(), 310);
  }
  return out;
}

// The windows as start-up makes them, aimed at loopback receivers.
struct Rig {
  TempDataFolder data;
  RecordingDialogs dialogs;
  Seams seams = test_seams(dialogs, data.folder());
  ReraduState state;
  RtdDriverState rtd_state;
  LoopbackReceiver rtd_rx;
  LoopbackReceiver rx_1500;
  LoopbackReceiver commentator_rx;
  std::unique_ptr<Treradu_form> editor;
  std::unique_ptr<RtdDriver> rtd;
  std::unique_ptr<Tqdimport_form> import;
  int import_shown = 0;
  std::function<void(Tqdimport_form &)> during_import;

  Rig() { state.settings.rtd_winsock_port = rtd_rx.port(); }

  void create() {
    editor = std::make_unique<Treradu_form>(state, seams);
    rtd = std::make_unique<RtdDriver>(rtd_state, state.settings, seams);
    import = std::make_unique<Tqdimport_form>(seams);
    RtdDestinations d;
    d.address = QHostAddress(QHostAddress::LocalHost);
    d.port_1500 = rx_1500.port();
    rtd->set_destinations(d);
    editor->set_rtd_driver(rtd.get());
    editor->set_import_form(import.get());
    editor->set_commentator_address(QHostAddress(QHostAddress::LocalHost));
    editor->show_import_modally = [this](Tqdimport_form &form) {
      ++import_shown;
      form.show();
      if (during_import)
        during_import(form);
      form.close();
    };
  }
  void use_commentator_port() { state.settings.qd_commentator_port = commentator_rx.port(); }
  QByteArray record(int n) const { return read_file(data.file(frame_file)).mid(310 * n, 310); }
  QByteArray slot(int n, int k) const { return record(n).mid(31 * k, 31); }
};

QByteArray slot_of(const QByteArray &text) {
  QByteArray out(1, char(text.size()));
  out += text;
  return out;
}

} // namespace

class TestEditor : public QObject {
  Q_OBJECT
private slots:
  void creation_makes_the_file_and_showing_loads();
  void paging_data();
  void paging();
  void paging_stores_what_was_typed();
  void line_of_35_characters();
  void send_cuts_only_the_copies_to_w();
  void reradu_packet_text_data();
  void reradu_packet_text();
  void typed_text_to_disk_and_wire_data();
  void typed_text_to_disk_and_wire();
  void no_packet_with_commentator_port_0();
  void broadcast_outputs_data();
  void broadcast_outputs();
  void shortened_line_keeps_old_bytes();
  void lines_9_and_10_survive();
  void short_file_gives_the_general_error();
  void unopenable_file_gives_blank_frames();
  void import_text_opens_the_import_at_the_current_frame();
  void hiding_stores_the_frame();
  void send_inside_send_keeps_order();
};

void TestEditor::creation_makes_the_file_and_showing_loads() {
  Rig rig;
  rig.state.editor.qd_current_frame = 33;
  rig.create();
  QCOMPARE(rig.state.editor.qd_current_frame, 0);
  QCOMPARE(read_file(rig.data.file(frame_file)), QByteArray(31000, '\0'));
  rig.editor->show();
  QCOMPARE(rig.editor->windowTitle(), QStringLiteral("v2.01 Marrick's Quillforge QD Type"));
  QCOMPARE(rig.editor->frame_label()->text(), QStringLiteral("0/99"));
  QCOMPARE(rig.editor->status_label()->text(), QStringLiteral("Vorevadovid Winsock=0"));
  QCOMPARE(rig.editor->edit(1)->palette().color(QPalette::Base), QColor(Qt::white));
  QCOMPARE(rig.editor->edit(8)->palette().color(QPalette::Text), QColor(Qt::black));
  QVERIFY(rig.dialogs.boxes.isEmpty());
}

void TestEditor::paging_data() {
  QTest::addColumn<int>("start");
  QTest::addColumn<QString>("action");
  QTest::addColumn<int>("expected");
  QTest::newRow("PgUp button at 0") << 0 << "prev" << 99;
  QTest::newRow("Page Up key at 0") << 0 << "PageUp" << 99;
  QTest::newRow("PgDn button at 99") << 99 << "next" << 0;
  QTest::newRow("Page Down key at 99") << 99 << "PageDown" << 0;
  QTest::newRow("PgUp at 50") << 50 << "prev" << 49;
  QTest::newRow("PgDn at 50") << 50 << "next" << 51;
  QTest::newRow("Page Down key at 98") << 98 << "PageDown" << 99;
}

void TestEditor::paging() {
  QFETCH(int, start);
  QFETCH(QString, action);
  QFETCH(int, expected);
  Rig rig;
  QVERIFY(write_file(rig.data.file(frame_file), labelled_frame_file()));
  rig.create();
  rig.state.editor.qd_current_frame = start;
  rig.editor->show();
  QCOMPARE(rig.editor->edit(1)->text(), QStringLiteral("FRAME %1").arg(start));
  if (action == "prev")
    rig.editor->prev_button()->click();
  else if (action == "next")
    rig.editor->next_button()->click();
  else
    QTest::keyClick(rig.editor->edit(4),
                    action == "PageUp" ? Qt::Key_PageUp : Qt::Key_PageDown);
  QCOMPARE(rig.state.editor.qd_current_frame, expected);
  QCOMPARE(rig.editor->frame_label()->text(), QStringLiteral("%1/99").arg(expected));
  QCOMPARE(rig.editor->edit(1)->text(), QStringLiteral("FRAME %1").arg(expected));
  QCOMPARE(read_file(rig.data.file(frame_file)), labelled_frame_file());
}

void TestEditor::paging_stores_what_was_typed() {
  Rig rig;
  rig.create();
  rig.editor->show();
  rig.editor->edit(1)->setText("LINE ONE");
  rig.editor->edit(8)->setText("LINE EIGHT");
  rig.editor->next_button()->click();
  QCOMPARE(rig.slot(0, 0), slot_of("LINE ONE") + QByteArray(22, '\0'));
  QCOMPARE(rig.slot(0, 7), slot_of("LINE EIGHT") + QByteArray(20, '\0'));
  QVERIFY(rig.editor->edit(1)->text().isEmpty());
  rig.editor->prev_button()->click();
  QCOMPARE(rig.editor->edit(1)->text(), QStringLiteral("LINE ONE"));
}

void TestEditor::line_of_35_characters() {
  Rig rig;
  rig.create();
  rig.editor->show();
  const QString typed = QString(30, 'A') + "BCDEF";
  rig.editor->edit(2)->setText(typed);
  rig.editor->send_button()->click();
  QCOMPARE(rig.slot(0, 1), slot_of(QByteArray(30, 'A')));
  QCOMPARE(rig.editor->edit(2)->text(), typed); // shown in full until loaded again
  rig.editor->next_button()->click();
  rig.editor->prev_button()->click();
  QCOMPARE(rig.editor->edit(2)->text(), QString(30, 'A'));
}

void TestEditor::send_cuts_only_the_copies_to_w() {
  Rig rig;
  rig.use_commentator_port();
  rig.create();
  rig.editor->show();
  const QByteArray line = "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234";
  rig.editor->edit(1)->setText(QString::fromLatin1(line));
  rig.editor->send_button()->click();
  QVERIFY(rig.rtd_rx.wait_for(1));
  QVERIFY(rig.commentator_rx.wait_for(1));
  QVERIFY(rig.rx_1500.wait_for(1));
  const QByteArray rtd = rig.rtd_rx.datagrams[0];
  QCOMPARE(rtd.size(), 209);
  QCOMPARE(rtd.left(8), QByteArray("\r10100  "));
  QCOMPARE(rtd.mid(8, 26), line.left(25) + ' ');
  QCOMPARE(rig.rx_1500.datagrams[0], rtd);
  QCOMPARE(rig.commentator_rx.datagrams[0], "{reradu}+{data}," + line.left(25) + ",,,,,,,,");
  QCOMPARE(rig.slot(0, 0), slot_of(line));
  QCOMPARE(rig.state.editor.frame.line(0), line);
}

void TestEditor::reradu_packet_text_data() {
  QTest::addColumn<QStringList>("lines");
  QTest::addColumn<QByteArray>("packet");
  QTest::newRow("A, B and six empty lines")
      << QStringList{"A", "B"} << QByteArray("{reradu}+{data},A,B,,,,,,,");
  QTest::newRow("all empty") << QStringList{} << QByteArray("{reradu}+{data},,,,,,,,,");
  QTest::newRow("a comma is sent unchanged")
      << QStringList{"X,Y"} << QByteArray("{reradu}+{data},X,Y,,,,,,,,");
  QTest::newRow("all eight lines")
      << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}
      << QByteArray("{reradu}+{data},1,2,3,4,5,6,7,8,");
  QTest::newRow("blanks kept") << QStringList{" FINAL SPRINT "}
                               << QByteArray("{reradu}+{data}, FINAL SPRINT ,,,,,,,,");
}

void TestEditor::reradu_packet_text() {
  QFETCH(QStringList, lines);
  QFETCH(QByteArray, packet);
  Rig rig;
  rig.use_commentator_port();
  rig.create();
  rig.editor->show();
  for (int k = 0; k < lines.size(); ++k)
    rig.editor->edit(k + 1)->setText(lines[k]);
  rig.editor->send_button()->click();
  QVERIFY(rig.commentator_rx.wait_for(1));
  QCOMPARE(rig.commentator_rx.datagrams.size(), 1);
  QCOMPARE(rig.commentator_rx.datagrams[0], packet);
  QCOMPARE(rig.editor->status_label()->text(),
           QStringLiteral("Vorevadovid Winsock=%1").arg(rig.commentator_rx.port()));
}

void TestEditor::typed_text_to_disk_and_wire_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QByteArray>("bytes");
  QTest::newRow("Latin-1") << QString::fromUtf8("ÉTÉ") << QByteArray("\xc9T\xc9");
  QTest::newRow("euro sign") << QString::fromUtf8("€") << QByteArray("\x80");
  QTest::newRow("outside the code page") << QString::fromUtf8("Ā") << QByteArray("?");
  QTest::newRow("mixed line") << QString::fromUtf8("€Ā Łódź 5€")
                              << QByteArray("\x80? ?\xf3" "d? 5\x80");
}

void TestEditor::typed_text_to_disk_and_wire() {
  QFETCH(QString, typed);
  QFETCH(QByteArray, bytes);
  Rig rig;
  rig.use_commentator_port();
  rig.create();
  rig.editor->show();
  rig.editor->edit(1)->setText(typed);
  rig.editor->send_button()->click();
  QVERIFY(rig.rtd_rx.wait_for(1));
  QVERIFY(rig.rx_1500.wait_for(1));
  QVERIFY(rig.commentator_rx.wait_for(1));
  QCOMPARE(rig.slot(0, 0).left(1 + bytes.size()), slot_of(bytes));
  QCOMPARE(rig.rtd_rx.datagrams[0].mid(8, 25), bytes.leftJustified(25, ' '));
  QCOMPARE(rig.rx_1500.datagrams[0], rig.rtd_rx.datagrams[0]);
  QCOMPARE(rig.commentator_rx.datagrams[0], "{reradu}+{data}," + bytes + ",,,,,,,,");
  // Loaded again, the line shows what the file holds.
  rig.editor->next_button()->click();
  rig.editor->prev_button()->click();
  QCOMPARE(rig.editor->edit(1)->text(), from_8bit(bytes));
}

void TestEditor::no_packet_with_commentator_port_0() {
  Rig rig;
  int passes = 0;
  rig.seams.process_events = [&] {
    ++passes;
    QCoreApplication::processEvents();
  };
  rig.create();
  rig.editor->show();
  rig.editor->edit(1)->setText("HELLO");
  rig.editor->send_button()->click();
  QVERIFY(rig.rtd_rx.wait_for(1));
  QVERIFY(rig.rx_1500.wait_for(1));
  QCOMPARE(passes, 1); // only the 1500 output's; the packet's pass is skipped
  QCOMPARE(rig.editor->status_label()->text(), QStringLiteral("Vorevadovid Winsock=0"));
  rig.commentator_rx.wait_for(1, 200);
  QVERIFY(rig.commentator_rx.datagrams.isEmpty());
}

void TestEditor::broadcast_outputs_data() {
  QTest::addColumn<QString>("output");
  QTest::newRow("RTD broadcast") << "rtd";
  QTest::newRow("1500 output") << "1500";
  QTest::newRow("{reradu} packet") << "reradu";
}

// The outputs may broadcast and listen on every interface; their default
// destination is the broadcast address. Read back, never sent to.
void TestEditor::broadcast_outputs() {
  QFETCH(QString, output);
  Rig rig;
  rig.use_commentator_port();
  rig.create();
  QCOMPARE(RtdDriver(rig.rtd_state, rig.state.settings, rig.seams).destinations().address,
           QHostAddress(QStringLiteral("255.255.255.255")));
  QCOMPARE(Treradu_form(rig.state, rig.seams).commentator_address(),
           QHostAddress(QStringLiteral("255.255.255.255")));
  rig.editor->show();
  rig.editor->send_button()->click();
  QVERIFY(rig.commentator_rx.wait_for(1));
  const QUdpSocket *socket = output == "rtd"    ? rig.rtd->rtd_socket()
                             : output == "1500" ? rig.rtd->socket_1500()
                                                : rig.editor->commentator_socket();
  QCOMPARE(socket->state(), QAbstractSocket::BoundState);
  QCOMPARE(broadcast_option(*socket), 1);
  QCOMPARE(socket->localAddress(), QHostAddress(QHostAddress::AnyIPv4));
  QVERIFY(socket->localPort() != 0);
}

void TestEditor::shortened_line_keeps_old_bytes() {
  Rig rig;
  rig.create();
  rig.editor->show();
  rig.editor->edit(1)->setText("ABCDEFGHIJK");
  rig.editor->next_button()->click();
  rig.editor->prev_button()->click();
  rig.editor->edit(1)->setText("XY");
  rig.editor->next_button()->click();
  QCOMPARE(rig.slot(0, 0).left(12), QByteArray("\x02XYCDEFGHIJK"));
  rig.editor->prev_button()->click();
  QCOMPARE(rig.editor->edit(1)->text(), QStringLiteral("XY"));
}

void TestEditor::lines_9_and_10_survive() {
  Rig rig;
  QByteArray file(31000, '\0');
  Tqd_frame f;
  f.set_line(0, "ONE");
  f.set_line(8, "NINE");
  f.set_line(9, "TEN OF TEN");
  file.replace(310 * 3, 310, QByteArray(f.bytes(), 310));
  QVERIFY(write_file(rig.data.file(frame_file), file));
  rig.create();
  rig.state.editor.qd_current_frame = 3;
  rig.editor->show();
  QCOMPARE(rig.editor->edit(1)->text(), QStringLiteral("ONE"));
  rig.editor->edit(1)->setText("CHANGED");
  rig.editor->send_button()->click();
  rig.editor->next_button()->click();
  rig.editor->prev_button()->click();
  rig.editor->hide();
  rig.editor->show();
  rig.editor->hide();
  QCOMPARE(rig.slot(3, 0).left(8), QByteArray("\x07" "CHANGED"));
  QCOMPARE(rig.slot(3, 8), QByteArray(f.bytes() + 31 * 8, 31));
  QCOMPARE(rig.slot(3, 9), QByteArray(f.bytes() + 31 * 9, 31));
}

void TestEditor::short_file_gives_the_general_error() {
  Rig rig;
  QVERIFY(write_file(rig.data.file(frame_file), QByteArray(30690, '\0')));
  rig.create();
  QVERIFY(rig.dialogs.boxes.isEmpty()); // an existing file is not examined
  rig.state.editor.qd_current_frame = 98;
  rig.editor->show();
  QVERIFY(rig.dialogs.boxes.isEmpty());
  rig.editor->next_button()->click(); // frame 99 is beyond the end
  QCOMPARE(rig.dialogs.boxes.size(), 1);
  QCOMPARE(rig.dialogs.boxes[0].kind, QStringLiteral("error"));
  QCOMPARE(rig.dialogs.boxes[0].text, QStringLiteral("Read beyond end of file"));
  rig.dialogs.boxes.clear();
  rig.state.editor.qd_current_frame = 0;
  rig.editor->import_button()->click();
  QCOMPARE(rig.dialogs.texts(), QStringList{"Read beyond end of file"});
  QCOMPARE(rig.import_shown, 0);
}

void TestEditor::unopenable_file_gives_blank_frames() {
  Rig rig;
  QVERIFY(QDir(rig.data.path()).mkdir(frame_file));
  rig.create();
  rig.editor->show();
  for (int k = 1; k <= 8; ++k)
    QVERIFY(rig.editor->edit(k)->text().isEmpty());
  rig.editor->edit(1)->setText("NOT STORED");
  rig.editor->next_button()->click();
  rig.editor->prev_button()->click();
  QVERIFY(rig.editor->edit(1)->text().isEmpty());
  QVERIFY(rig.dialogs.boxes.isEmpty());
  rig.editor->import_button()->click();
  QCOMPARE(rig.dialogs.boxes.size(), 1);
  QCOMPARE(rig.dialogs.boxes[0].kind, QStringLiteral("error"));
  QCOMPARE(rig.dialogs.boxes[0].text, QStringLiteral("File read error. Cannot proceed."));
  QCOMPARE(rig.import_shown, 0);
}

void TestEditor::import_text_opens_the_import_at_the_current_frame() {
  Rig rig;
  rig.create();
  QVERIFY(write_file(rig.data.file("text.txt"), "IMPORTED 1\r\n~~\r\nIMPORTED 2\r\n"));
  rig.state.editor.qd_current_frame = 7;
  rig.editor->show();
  rig.editor->edit(3)->setText("TYPED BEFORE");
  QString label;
  rig.during_import = [&](Tqdimport_form &form) {
    label = form.frame_label()->text();
    form.import_text(rig.data.file("text.txt"));
  };
  rig.editor->import_button()->click();
  QCOMPARE(rig.import_shown, 1);
  QCOMPARE(label, QStringLiteral("7"));
  QCOMPARE(rig.editor->edit(1)->text(), QStringLiteral("IMPORTED 1"));
  QCOMPARE(rig.editor->edit(3)->text(), QStringLiteral("TYPED BEFORE")); // stored first
  QCOMPARE(rig.slot(8, 0).left(11), QByteArray("\x0aIMPORTED 2"));
  QVERIFY(rig.dialogs.boxes.isEmpty());
}

void TestEditor::hiding_stores_the_frame() {
  Rig rig;
  rig.create();
  rig.editor->show();
  rig.editor->edit(5)->setText("ON HIDE");
  rig.editor->hide();
  QCOMPARE(rig.slot(0, 4).left(8), QByteArray("\x07ON HIDE"));
}

void TestEditor::send_inside_send_keeps_order() {
  Rig rig;
  rig.use_commentator_port();
  int passes = 0;
  rig.seams.process_events = [&] {
    QCoreApplication::processEvents();
    if (++passes == 1) { // the operator types and clicks Send again meanwhile
      rig.editor->edit(1)->setText("SECOND");
      rig.editor->send_button()->click();
    }
  };
  rig.create();
  rig.editor->show();
  rig.editor->edit(1)->setText("FIRST");
  rig.editor->send_button()->click();
  QVERIFY(rig.rtd_rx.wait_for(2));
  QVERIFY(rig.rx_1500.wait_for(2));
  QVERIFY(rig.commentator_rx.wait_for(2));
  for (const QList<QByteArray> *got : {&rig.rtd_rx.datagrams, &rig.rx_1500.datagrams}) {
    QCOMPARE(got->size(), 2);
    QCOMPARE(got->at(0).left(14), QByteArray("\r10100  FIRST "));
    QCOMPARE(got->at(1).left(14), QByteArray("\r20100  SECOND"));
  }
  QCOMPARE(rig.commentator_rx.datagrams,
           (QList<QByteArray>{"{reradu}+{data},FIRST,,,,,,,,", "{reradu}+{data},SECOND,,,,,,,,"}));
  QCOMPARE(rig.slot(0, 0).left(7), QByteArray("\x06SECOND"));
}

QTEST_MAIN(TestEditor)
#include "editor_test.moc"
