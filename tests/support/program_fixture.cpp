#include "support/program_fixture.h"

#include "app/main_window.h"

ProgramFixture::ProgramFixture(const std::function<void(const TempDataFolder &)> &prepare) {
  if (prepare)
    prepare(data);
  state.seams = test_seams(dialogs, data.folder());
  state.ports = {0, 0};
  windows = std::make_unique<CommentatorWindows>(state);
  main().show();
}

Tcommentator0_form &ProgramFixture::main() { return windows->main_window(); }

QWidget *ProgramFixture::window(const QString &name) const {
  for (const CommentatorWindows::Named &n : windows->all_windows())
    if (n.name == name)
      return n.window;
  return nullptr;
}

quint16 ProgramFixture::port(int listener) { return main().receiver().local_port(listener); }

int ProgramFixture::logged() { return int(main().log().lines().size()); }

bool ProgramFixture::deliver(int listener, const QByteArray &datagram) {
  const int before = logged();
  const QString last = main().log().lines().value(before - 1);
  // A full log of 30 lines keeps its count: then the last line changes.
  return send_loopback(port(listener), datagram) && wait_until([&] {
           return logged() > before || (logged() == 30 && main().log().lines().last() != last);
         });
}
