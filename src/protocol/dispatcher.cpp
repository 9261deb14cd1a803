#include "dispatcher.h"

#include "fields.h"

DispatchTarget::~DispatchTarget() = default;

namespace {

// Show the window first, then apply; true when the dispatch must end.
bool show_then_apply(PacketKind kind, QByteArrayView packet, DispatchTarget &target) {
  target.show_screen(kind);
  return target.apply(kind, packet) != ApplyResult::go_on;
}

} // namespace

void dispatch_packet(QByteArrayView packet, DispatchTarget &target) {
  if (!target.main_window_visible())
    return;

  if (is_flag(packet, "{heartbeat}")) {
    target.log_line(kHeartbeatLine);
    return;
  }

  if (is_flag(packet, "{scratch}")) {
    target.show_screen(PacketKind::scratch);
    target.process_events();
    if (target.apply(PacketKind::scratch, packet) != ApplyResult::go_on)
      return;
  }

  if (is_flag(packet, "{reradu}"))
    show_then_apply(PacketKind::reradu, packet, target);

  if (is_flag(packet, "{omnium}")) {
    // The omnium window comes up after its table has the Packet, whatever
    // the outcome, so the full-screen table is drawn once with its new shape.
    const ApplyResult result = target.apply(PacketKind::omnium, packet);
    target.show_screen(PacketKind::omnium);
    if (result != ApplyResult::go_on)
      return;
  }

  if (is_flag(packet, "{sprintf}"))
    show_then_apply(PacketKind::sprint, packet, target);

  if (is_flag(packet, "{ptsrace}") && show_then_apply(PacketKind::points_race, packet, target))
    return;

  if (is_flag(packet, "{tt}"))
    show_then_apply(PacketKind::time_trial, packet, target);
}
