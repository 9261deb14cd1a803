#pragma once

#include <QByteArrayView>

// The packet kinds that have a screen, in the order the dispatcher tests them.
enum class PacketKind { scratch, reradu, omnium, sprint, points_race, time_trial };

// What a screen's apply_packet reports back.
enum class ApplyResult {
  go_on,  // the dispatch goes on with the next kind
  stop,   // "{clr}" cleared the screen: the dispatch of this Packet ends
  failed, // a number could not be read: the dispatch ends (omnium only)
};

// What the dispatcher needs of the program around it. The main window
// implements it with the real screens; tests implement it with a recorder.
class DispatchTarget {
public:
  virtual ~DispatchTarget();
  virtual bool main_window_visible() const = 0;
  // A line the dispatcher itself adds to the packet log (the heartbeat).
  virtual void log_line(QByteArrayView line) = 0;
  // Show the kind's window and bring it to the front.
  virtual void show_screen(PacketKind kind) = 0;
  // One pass of the event loop (the scratch kind's, before it applies).
  virtual void process_events() = 0;
  virtual ApplyResult apply(PacketKind kind, QByteArrayView packet) = 0;
};

inline constexpr char kHeartbeatLine[] = "Heartbeat received from SERVER!!";

// Routes one accepted Packet to the screens of the kinds it flags.
void dispatch_packet(QByteArrayView packet, DispatchTarget &target);
