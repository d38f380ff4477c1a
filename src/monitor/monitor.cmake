# The monitoring engine: start-up, the check, baseline and T.E.C. dates,
# alerts, the launcher protocol and the schedule.
torvel_layer(torvel_monitor monitor BELOW torvel_drive torvel_notify SOURCES
  monitor/alert_texts.cpp
  monitor/alert_transports.cpp
  monitor/baseline.cpp
  monitor/check.cpp
  monitor/check_decisions.cpp
  monitor/check_world.cpp
  monitor/core_app.cpp
  monitor/main_frame.cpp
  monitor/monitor_state.cpp
  monitor/schedule.cpp
)
