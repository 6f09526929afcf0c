// A stand-alone test server for scripts and benchmarks: answers every request
// with 200 "OK", keeps no bodies, prints its port on the first line of its
// output and runs until its standard input ends.
#include <cstdio>
#include <iostream>
#include <string>

#include "tools/http-testserver/HttpTestServer.h"

int main() {
  testserver::HttpTestServer server;
  server.SetBodyRecordLimit(0);
  std::cout << server.Port() << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
  }
  return 0;
}
