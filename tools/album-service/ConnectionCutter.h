// Cuts a client's connection in the middle of a request, for the
// "close_after" fault. The HTTP library gives handlers no socket, so the
// connection is found by its two port numbers: the kernel's table of TCP
// sockets gives its inode, and the process's descriptor links name the
// descriptor of that inode.
#pragma once

namespace albumservice {

// Shuts down (both directions) the TCP connection between local_port and the
// peer's remote_port; false when no such socket exists. Call it only from the
// thread serving that connection: the library still owns the descriptor and
// closes it when its next read or write fails.
bool CutConnection(int local_port, int remote_port);

}  // namespace albumservice
