#include "app/main_window.h"
#include "support/recording_dialogs.h"
#include "support/test_env.h"

#include <QImage>
#include <QListView>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QUdpSocket>

namespace {

// A main window listening on two ephemeral loopback ports, with recording
// stand-ins for the screens.
struct Fixture {
  TempDataFolder data;
  RecordingDialogs dialogs;
  AppState state;
  std::unique_ptr<Tcommentator0_form> main;
  QWidget scratch_window;
  QList<QByteArray> dispatched; // every Packet that reached the dispatcher
  QList<QByteArray> applied;    // every Packet handed to the scratch stand-in
  int depth = 0;
  int max_depth = 0;

  explicit Fixture(const QByteArray &address = "255.255.255.255") {
    state.seams = test_seams(dialogs, data.folder());
    state.ports = {0, 0};
    if (address != "255.255.255.255")
      write_file(data.file("commentator.dat"), address + "\r\n");
    main = std::make_unique<Tcommentator0_form>(state);
    main->dispatch = [this](QByteArrayView p, DispatchTarget &target) {
      dispatched.append(p.toByteArray());
      dispatch_packet(p, target);
    };
    main->set_screen(PacketKind::scratch,
                     {[this] { return &scratch_window; }, [this](QByteArrayView p) {
                        ++depth;
                        max_depth = std::max(max_depth, depth);
                        applied.append(p.toByteArray());
                        --depth;
                        return ApplyResult::go_on;
                      }});
    main->show();
  }
  ~Fixture() {
    main->hide();
    scratch_window.hide();
  }
  quint16 port(int i) const { return main->receiver().local_port(i); }
  QStringList log() const { return main->log().lines(); }
  bool wait_log(int n) { return wait_until([&] { return log().size() >= n; }); }
};

} // namespace

class ReceptionTest : public QObject {
  Q_OBJECT
private slots:
  void listeners_bound();
  void filter_and_log_data();
  void filter_and_log();
  void datagram_over_1024_bytes_dropped();
  void datagram_of_1024_bytes_kept();
  void datagrams_waiting_together_kept_in_order();
  void heartbeat_logs_two_lines();
  void log_keeps_newest_30();
  void short_log_is_not_scrolled();
  void scrolled_up_log_returns_to_newest();
  void arrival_order_title_then_line();
  void burst_in_order_across_listeners();
  void address_change_applies_to_next_datagram();
  void port_held_by_another_program_is_logged();
  void socket_table_lists_other_data();
  void socket_table_lists_other();
};

void ReceptionTest::listeners_bound() {
  Fixture f;
  QVERIFY(f.main->receiver().is_open(0));
  QVERIFY(f.main->receiver().is_open(1));
  QVERIFY(f.port(0) != 0 && f.port(1) != 0 && f.port(0) != f.port(1));
}

void ReceptionTest::filter_and_log_data() {
  QTest::addColumn<QByteArray>("address");
  QTest::addColumn<int>("listener");
  QTest::addColumn<QByteArray>("datagram");
  QTest::addColumn<QString>("line");
  QTest::addColumn<bool>("dispatched");
  QTest::addColumn<bool>("applied");
  const QByteArray clr = "{scratch}+{clr}+";
  QTest::newRow("all senders, first port")
      << QByteArray("255.255.255.255") << 0 << clr << "127.0.0.1>{scratch}+{clr}+" << true
      << true;
  QTest::newRow("all senders, second port")
      << QByteArray("255.255.255.255") << 1 << clr << "127.0.0.1>{scratch}+{clr}+" << true
      << true;
  QTest::newRow("the one sender") << QByteArray("127.0.0.1") << 0 << clr
                                  << "127.0.0.1>{scratch}+{clr}+" << true << true;
  QTest::newRow("another sender") << QByteArray("10.0.0.9") << 0 << clr
                                  << "IGNORED packet from 127.0.0.1" << false << false;
  QTest::newRow("leading zeros match nobody")
      << QByteArray("127.000.000.001") << 1 << clr << "IGNORED packet from 127.0.0.1" << false
      << false;
  QTest::newRow("blank after address") << QByteArray("127.0.0.1 ") << 0 << clr
                                       << "IGNORED packet from 127.0.0.1" << false << false;
  QTest::newRow("empty address") << QByteArray("") << 0 << clr << "IGNORED packet from 127.0.0.1"
                                 << false << false;
  QTest::newRow("empty datagram") << QByteArray("255.255.255.255") << 0 << QByteArray()
                                  << "127.0.0.1>" << true << false;
  QTest::newRow("zero byte inside") << QByteArray("255.255.255.255") << 0
                                    << QByteArray("{scratch}+{list}1\0{name}X", 24)
                                    << "127.0.0.1>{scratch}+{list}1" << true << true;
  QTest::newRow("8-bit text as Windows-1252")
      << QByteArray("255.255.255.255") << 0 << QByteArray("{title}\x80\xE9")
      << QString::fromUtf8("127.0.0.1>{title}€é") << true << false;
}

void ReceptionTest::filter_and_log() {
  QFETCH(QByteArray, address);
  QFETCH(int, listener);
  QFETCH(QByteArray, datagram);
  QFETCH(QString, line);
  QFETCH(bool, dispatched);
  QFETCH(bool, applied);
  Fixture f(address.isEmpty() ? QByteArray() : address);
  if (address.isEmpty()) {
    // An empty commentator.dat gives the empty address.
    f.main->hide();
    write_file(f.data.file("commentator.dat"), "");
    f.main->show();
  }
  QVERIFY(send_loopback(f.port(listener), datagram));
  QVERIFY(f.wait_log(1));
  QCOMPARE(f.log(), QStringList{line});
  const QByteArray packet = datagram.left(datagram.indexOf('\0') < 0 ? datagram.size()
                                                                      : datagram.indexOf('\0'));
  QCOMPARE(f.dispatched, dispatched ? QList<QByteArray>{packet} : QList<QByteArray>{});
  QCOMPARE(f.applied, applied ? QList<QByteArray>{packet} : QList<QByteArray>{});
}

void ReceptionTest::datagram_over_1024_bytes_dropped() {
  Fixture f;
  QVERIFY(send_loopback(f.port(0), "{scratch}+" + QByteArray(1015, 'x')));
  QVERIFY(send_loopback(f.port(0), "after"));
  QVERIFY(f.wait_log(1));
  QTest::qWait(20);
  QCOMPARE(f.log(), QStringList{"127.0.0.1>after"});
  QVERIFY(f.applied.isEmpty());
}

void ReceptionTest::datagram_of_1024_bytes_kept() {
  Fixture f;
  const QByteArray d = "{scratch}+{x}" + QByteArray(1011, 'x');
  QCOMPARE(d.size(), 1024);
  QVERIFY(send_loopback(f.port(0), d));
  QVERIFY(f.wait_log(1));
  QCOMPARE(f.applied, QList<QByteArray>{d});
}

void ReceptionTest::datagrams_waiting_together_kept_in_order() {
  // Sent before the receiver runs, they are read together: the oversized
  // one is dropped, the empty one and the longest one are kept, in order.
  Fixture f;
  const QByteArray longest = "{scratch}+{x}" + QByteArray(1011, 'y');
  const QList<QByteArray> sent{"{scratch}+{list}1", QByteArray(1025, 'z'), "", longest,
                               "{scratch}+{list}2"};
  // Windows are told when the batch begins and ends, to paint after it.
  QStringList told;
  f.main->receiver().set_batch_watch([&](bool handing_on) {
    told.append(handing_on ? QStringLiteral("begin") : QStringLiteral("end after %1").arg(f.applied.size()));
  });
  for (const QByteArray &d : sent)
    QVERIFY(send_loopback(f.port(0), d));
  QVERIFY(f.wait_log(4));
  QTest::qWait(20);
  QCOMPARE(f.applied, (QList<QByteArray>{sent[0], longest, sent[4]}));
  QCOMPARE(f.log(), (QStringList{"127.0.0.1>{scratch}+{list}1", "127.0.0.1>",
                                 "127.0.0.1>" + QString::fromLatin1(longest),
                                 "127.0.0.1>{scratch}+{list}2"}));
  QCOMPARE(told, (QStringList{"begin", "end after 3"}));
}

void ReceptionTest::heartbeat_logs_two_lines() {
  Fixture f;
  QVERIFY(send_loopback(f.port(1), "{heartbeat}+{scratch}+"));
  QVERIFY(f.wait_log(2));
  QCOMPARE(f.log(), (QStringList{"Heartbeat received from SERVER!!", "127.0.0.1>{heartbeat}+{scratch}+"}));
  QVERIFY(f.applied.isEmpty());
  QVERIFY(!f.scratch_window.isVisible());
}

void ReceptionTest::log_keeps_newest_30() {
  Fixture f;
  for (int i = 1; i <= 31; ++i)
    QVERIFY(send_loopback(f.port(0), "n" + QByteArray::number(i)));
  QVERIFY(wait_until([&] { return f.log().value(29) == "127.0.0.1>n31"; }));
  QCOMPARE(f.log().size(), 30);
  QCOMPARE(f.log().first(), QStringLiteral("127.0.0.1>n2"));
  QListView *view = f.main->log_view();
  QScrollBar *bar = view->verticalScrollBar();
  QCOMPARE(bar->value(), bar->maximum());
}

void ReceptionTest::short_log_is_not_scrolled() {
  Fixture f;
  for (int i = 1; i <= 30; ++i)
    QVERIFY(send_loopback(f.port(0), "n" + QByteArray::number(i)));
  QVERIFY(f.wait_log(30));
  QCOMPARE(f.main->log_view()->verticalScrollBar()->value(), 0);
}

void ReceptionTest::scrolled_up_log_returns_to_newest() {
  // A full log is rewritten in place; the view must still follow it.
  Fixture f;
  for (int i = 1; i <= 45; ++i)
    QVERIFY(send_loopback(f.port(0), "n" + QByteArray::number(i)));
  QVERIFY(wait_until([&] { return f.log().value(29) == "127.0.0.1>n45"; }));
  QScrollBar *bar = f.main->log_view()->verticalScrollBar();
  QVERIFY(bar->maximum() > 0);
  QCOMPARE(bar->value(), bar->maximum());
  bar->setValue(0);
  QVERIFY(send_loopback(f.port(0), "n46"));
  QVERIFY(wait_until([&] { return f.log().value(29) == "127.0.0.1>n46"; }));
  QCOMPARE(f.log().first(), QStringLiteral("127.0.0.1>n17"));
  QCOMPARE(bar->value(), bar->maximum());
}

void ReceptionTest::arrival_order_title_then_line() {
  // The scratch kind runs the event loop before applying: a competitor line
  // that is already waiting must still be applied after the new heat.
  Fixture f;
  QUdpSocket sender;
  const QByteArray title = "{scratch}+{title}Keirin Heat 2{time}10.512{spd}68.49{eop}";
  const QByteArray line = "{scratch}+{list}0{rank}1{bib}12{name}A. RIDER{eop}";
  QCOMPARE(sender.writeDatagram(title, QHostAddress::LocalHost, f.port(0)), title.size());
  QCOMPARE(sender.writeDatagram(line, QHostAddress::LocalHost, f.port(0)), line.size());
  QVERIFY(f.wait_log(2));
  QCOMPARE(f.applied, (QList<QByteArray>{title, line}));
  QCOMPARE(f.log(), (QStringList{"127.0.0.1>" + QString::fromLatin1(title),
                                 "127.0.0.1>" + QString::fromLatin1(line)}));
  QCOMPARE(f.max_depth, 1);
}

void ReceptionTest::burst_in_order_across_listeners() {
  Fixture f;
  QUdpSocket sender;
  const int n = 2000;
  for (int i = 0; i < n; ++i) {
    const QByteArray d = "{scratch}+{list}" + QByteArray::number(i);
    sender.writeDatagram(d, QHostAddress::LocalHost, f.port(i % 2));
  }
  QVERIFY(wait_until([&] { return f.applied.size() >= n; }, 10000));
  QCOMPARE(f.max_depth, 1);
  // Per listener, datagrams come in the order they were sent.
  int last[2] = {-1, -1};
  for (const QByteArray &p : f.applied) {
    const int i = p.mid(16).toInt();
    QVERIFY2(i > last[i % 2], p.constData());
    last[i % 2] = i;
  }
  // The log holds the last 30 of them in the order they were handled, and
  // what it shows once painted is what a fresh paint of it shows.
  QStringList newest;
  for (const QByteArray &p : f.applied.mid(n - PacketLog::kMaxLines))
    newest.append("127.0.0.1>" + QString::fromLatin1(p));
  QCOMPARE(f.log(), newest);
  QTest::qWait(100);
  QWidget *vp = f.main->log_view()->viewport();
  const QPoint at = vp->mapTo(f.main.get(), QPoint(0, 0));
  const QImage shown = f.main->screen()
                           ->grabWindow(f.main->winId(), at.x(), at.y(), vp->width(), vp->height())
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
  QCOMPARE(shown, vp->grab().toImage().convertToFormat(QImage::Format_RGB32));
}

void ReceptionTest::address_change_applies_to_next_datagram() {
  Fixture f;
  QVERIFY(send_loopback(f.port(0), "a"));
  QVERIFY(f.wait_log(1));
  f.state.listening_address = "10.1.1.1";
  QVERIFY(send_loopback(f.port(0), "b"));
  QVERIFY(f.wait_log(2));
  QCOMPARE(f.log(), (QStringList{"127.0.0.1>a", "IGNORED packet from 127.0.0.1"}));
}

void ReceptionTest::port_held_by_another_program_is_logged() {
  QUdpSocket other;
  QVERIFY2(other.bind(QHostAddress::AnyIPv4, 0, QAbstractSocket::ShareAddress),
           qPrintable(other.errorString()));
  TempDataFolder data;
  RecordingDialogs dialogs;
  AppState state;
  state.seams = test_seams(dialogs, data.folder());
  state.ports = {other.localPort(), 0};
  Tcommentator0_form main(state);
  main.show();
  QVERIFY(main.receiver().is_open(0));
  QCOMPARE(main.log().lines().size(), 1);
  QVERIFY(main.log().lines().first().startsWith(
      QStringLiteral("Port %1 is also open in another program").arg(other.localPort())));
  // The feed line says it too, in red, while the other socket stays.
  QCOMPARE(main.feed().state().level, FeedLevel::red);
  QVERIFY(main.feed().state().text.startsWith(
      QStringLiteral("Port %1 is held by another program").arg(other.localPort())));
  other.close();
  main.feed().evaluate();
  QVERIFY(!main.feed().state().text.contains(QStringLiteral("held")));
  main.hide();
  // Alone on its ports, nothing is said.
  Tcommentator0_form alone(state);
  state.ports = {0, 0};
  alone.show();
  QVERIFY(alone.log().lines().isEmpty());
  alone.hide();
}

void ReceptionTest::socket_table_lists_other_data() {
  QTest::addColumn<QByteArray>("table");
  QTest::addColumn<int>("port");
  QTest::addColumn<qulonglong>("own");
  QTest::addColumn<bool>("other");
  // Lines as the system writes them: port 29105 is 71B1 in hex.
  const QByteArray head = "   sl  local_address rem_address   st tx_queue rx_queue tr tm->when "
                          "retrnsmt   uid  timeout inode ref pointer drops\n";
  const auto v4 = [](const char *port, const char *inode) {
    return QByteArray("  42: 00000000:") + port +
           " 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 " + inode +
           " 2 0000000000000000 0\n";
  };
  QTest::newRow("only our own socket") << head + v4("71B1", "5001") << 29105 << 5001ULL << false;
  QTest::newRow("another socket on the port")
      << head + v4("71B1", "5001") + v4("71B1", "6002") << 29105 << 5001ULL << true;
  QTest::newRow("another socket on another port")
      << head + v4("71B1", "5001") + v4("71B0", "6002") << 29105 << 5001ULL << false;
  QTest::newRow("last line without its line end")
      << head + v4("71B1", "5001") + v4("71B1", "6002").chopped(1) << 29105 << 5001ULL << true;
  QTest::newRow("an IPv6 socket on the port")
      << QByteArray("  sl  local_address   remote_address   st\n"
                    "  3: 00000000000000000000000000000000:71B1 "
                    "00000000000000000000000000000000:0000 07 00000000:00000000 00:00000000 "
                    "00000000     0        0 7003 2 0000000000000000 0\n")
      << 29105 << 5001ULL << true;
  QTest::newRow("the header alone") << head << 29105 << 5001ULL << false;
  QTest::newRow("nothing read") << QByteArray() << 29105 << 5001ULL << false;
  QTest::newRow("a cut line") << head + QByteArray("  42: 00000000:71B1 00000000:0000 07\n")
                              << 29105 << 5001ULL << false;
}

void ReceptionTest::socket_table_lists_other() {
  QFETCH(QByteArray, table);
  QFETCH(int, port);
  QFETCH(qulonglong, own);
  QFETCH(bool, other);
  QCOMPARE(table_lists_other(table, quint16(port), own), other);
}

QTEST_MAIN(ReceptionTest)
#include "reception_test.moc"
