#pragma once
// The outside world as the core sees it: every effect goes through these.
namespace hw {

class RegistryApi;
class FileServices;
class SystemInfo;
class ShortcutReader;
class MessagePump;
class UserDialogs;
class Shell;

struct Platform {
  RegistryApi& registry;
  FileServices& files;
  SystemInfo& system;
  ShortcutReader& shortcuts;
  MessagePump& pump;
  UserDialogs& dialogs;
  Shell& shell;
};

}  // namespace hw
