// Cuts a client's connection in the middle of a request, for the
// "close_after" fault: the HTTP library gives handlers no socket, so the
// connection is found among the process's sockets by its two port numbers.
#pragma once

namespace albumservice {

// Shuts down (both directions) the TCP connection between local_port and the
// peer's remote_port; false when no such socket exists. The library still
// owns the descriptor and closes it when its read or write fails.
bool CutConnection(int local_port, int remote_port);

}  // namespace albumservice
