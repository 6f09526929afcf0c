// Message maps: a class lists the messages it handles next to its handlers,
// and the table chains to its base class's table. A message that no table of
// the chain lists falls back to CWnd's built-in handlers (OnCreate, OnDestroy,
// OnTimer, ...) and then to default processing.
//
//   class CMyWnd : public platform::CWnd {
//     DECLARE_MESSAGE_MAP()
//     LRESULT OnPing(WPARAM wParam, LPARAM lParam);
//   };
//   BEGIN_MESSAGE_MAP(CMyWnd, platform::CWnd)
//     ON_MESSAGE(WM_USER + 1, OnPing)
//   END_MESSAGE_MAP()
#pragma once

#include "platform/window/WindowTypes.h"

namespace platform {

class CWnd;

// A handler of a message with its two parameters, answering the result.
using MessageHandler = LRESULT (CWnd::*)(WPARAM, LPARAM);

// One line of a message map; a line with a null handler ends the table.
struct MessageMapEntry {
  UINT message;
  MessageHandler handler;
};

// A class's message map and the way to its base class's map.
struct MessageMap {
  const MessageMap* (*base)();
  const MessageMapEntry* entries;
};

// The handler for a message in a chain of maps, or null.
MessageHandler FindMessageHandler(const MessageMap* map, UINT message);

}  // namespace platform

#define DECLARE_MESSAGE_MAP()                               \
 protected:                                                 \
  static const ::platform::MessageMap* GetThisMessageMap(); \
  const ::platform::MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                  \
  const ::platform::MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const ::platform::MessageMap* theClass::GetThisMessageMap() {                                 \
    using ThisClass = theClass;                                                                 \
    using TheBaseClass = baseClass;                                                             \
    static const ::platform::MessageMapEntry kEntries[] = {
#define ON_MESSAGE(message, memberFunction) \
  {(message), static_cast<::platform::MessageHandler>(&ThisClass::memberFunction)},

#define END_MESSAGE_MAP()                                                                  \
  { 0, nullptr }                                                                           \
  }                                                                                        \
  ;                                                                                        \
  static const ::platform::MessageMap kMap = {&TheBaseClass::GetThisMessageMap, kEntries}; \
  return &kMap;                                                                            \
  }
