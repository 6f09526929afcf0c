// album-service: the reference album service. See CommandLine.cpp for the
// options; it prints "listening on http://127.0.0.1:PORT" once it accepts
// connections and ends cleanly on SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <iostream>
#include <thread>

#include "BuildConfig.h"
#include "tools/album-service/AlbumService.h"
#include "tools/album-service/CommandLine.h"
#include "tools/album-service/Inventory.h"

namespace {

using albumservice::CommandLine;
using albumservice::ServiceContext;

bool Prepare(const CommandLine& command, ServiceContext& context) {
  std::error_code error;
  std::filesystem::create_directories(command.data_dir, error);
  context.options.data_dir = command.data_dir;
  context.options.offered_version = command.offered_version.value_or(buildconfig::kProductVersion);
  if (command.host_patch_number)
    context.options.host_patch_version = std::to_string(*command.host_patch_number);
  if (command.max_body_kb) context.options.max_body_bytes = *command.max_body_kb * 1024;
  std::string message;
  if (!context.store.Open(command.data_dir, message)) {
    std::cerr << "album-service: cannot open the database in " << command.data_dir << ": " << message << "\n";
    return false;
  }
  if (!context.words.LoadFile(command.data_dir / "forbidden_words.txt")) {
    for (const std::string& word : albumservice::WordFilter::DefaultWords()) context.words.Add(word);
  }
  for (const std::string& word : command.forbidden_words) context.words.Add(word);
  for (const std::string& fault : command.faults) {
    if (!context.faults.SetFromSpec(fault, message)) {
      std::cerr << "album-service: --fault " << fault << ": " << message << "\n";
      return false;
    }
  }
  return true;
}

int Serve(ServiceContext& context, int port) {
  // SIGINT and SIGTERM are taken by one thread with sigwait, so that no
  // handler runs inside the server's threads; blocked before any thread starts.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  if (!context.log.Open(context.options.data_dir / "requests.log")) {
    std::cerr << "album-service: cannot open requests.log\n";
    return 1;
  }
  albumservice::AlbumService service(context);
  if (!service.Bind(port)) {
    std::cerr << "album-service: cannot listen on 127.0.0.1:" << port << "\n";
    return 1;
  }
  std::thread stopper([&service, stop_signals] {
    int received = 0;
    sigwait(&stop_signals, &received);
    service.Stop();
  });
  std::printf("listening on http://127.0.0.1:%d\n", service.port());
  std::fflush(stdout);
  bool served = service.Serve();
  // Wakes the stopper when the server ended by itself.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return served ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine command;
  std::string error;
  if (!command.Parse(argc, argv, error)) {
    std::cerr << "album-service: " << error << "\n" << albumservice::kUsage;
    return 2;
  }
  if (command.help) {
    std::cout << albumservice::kUsage;
    return 0;
  }
  ServiceContext context;
  if (!Prepare(command, context)) return 1;
  if (command.seed_demo && albumservice::SeedDemo(context.store))
    std::cerr << "album-service: created the demonstration account demo/demo\n";
  if (command.add_user) {
    std::int64_t id = context.store.SaveUser(*command.add_user);
    std::cerr << "album-service: account \"" << command.add_user->name << "\" has uid " << id << "\n";
  }
  if (command.list_inventory) {
    std::cout << albumservice::DescribeInventory(context.store);
    return 0;
  }
  if (!command.port) return 0;
  return Serve(context, *command.port);
}
