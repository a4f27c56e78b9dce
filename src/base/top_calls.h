// What the lower folders ask of the top of the program (src/app: start-up,
// control window, shutdown). The top fills these in at start-up; until then
// each answers as a client that is not ending and has nobody to hand over to.
#pragma once

struct TopCalls {
  // True once the shutdown runs: requests that arrive now are dropped. Any thread.
  bool (*shutdownBegun)();
  // The updater has been started: end the client without its question, on
  // the control window's thread. Any thread.
  void (*handOverShutdown)();
  // The network watch saw the network come back while idle: press the main
  // window's connect button. Any thread.
  void (*connectCommand)();
};

// Filled in once, before any thread that asks is started.
void SetTopCalls(const TopCalls& calls);

bool ShutdownBegun();
void RequestHandOverShutdown();
void RequestConnect();
