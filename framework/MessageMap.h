// Message maps: static tables of (window message or command id -> member handler).
#pragma once

#include <windows.h>

#include <variant>
#include <vector>

class CCmdTarget;
class CCmdUI;

// The handler shapes a table entry may hold; each unpacks wParam/lParam once.
using PfnCommand = void (CCmdTarget::*)();
using PfnUpdate = void (CCmdTarget::*)(CCmdUI*);
using PfnCreate = int (CCmdTarget::*)(CREATESTRUCTA*);
using PfnMessage = LRESULT (CCmdTarget::*)(WPARAM, LPARAM);

struct MessageEntry {
    enum Kind { Command, Update, Create, Void, Message };
    Kind kind;
    UINT code; // window message, or command id
    std::variant<PfnCommand, PfnUpdate, PfnCreate, PfnMessage> handler;
};

struct MessageMap {
    const MessageMap* base;
    std::vector<MessageEntry> entries;

    // The base's map, then this class's entries.
    template <class... Entries>
    MessageMap(const MessageMap* baseMap, const Entries&... table)
        : base(baseMap), entries{table...} {}

    // The first entry for a window message, from this map to its bases, whatever its shape:
    // a base's entry never hides a derived one. Null when none.
    const MessageEntry* FindMessage(UINT message) const;
    // The first command (or update) entry for id, likewise.
    const MessageEntry* FindCommand(MessageEntry::Kind kind, UINT id) const;
};

// Declares a class's own map and hands it to the dispatch; the class's source defines it, chained
// to its base's: const MessageMap CClass::messageMap{&CBase::messageMap, entries...};
#define MESSAGE_MAP_MEMBERS()                                                                      \
    const MessageMap* GetMessageMap() const override {                                             \
        return &messageMap;                                                                        \
    }                                                                                              \
    static const MessageMap messageMap

// Entry builders: the member pointers of a derived class are stored as the base's.
template <class T> MessageEntry MapCommand(UINT id, void (T::*pfn)()) {
    return {MessageEntry::Command, id, static_cast<PfnCommand>(pfn)};
}
template <class T> MessageEntry MapUpdate(UINT id, void (T::*pfn)(CCmdUI*)) {
    return {MessageEntry::Update, id, static_cast<PfnUpdate>(pfn)};
}
template <class T> MessageEntry MapCreate(int (T::*pfn)(CREATESTRUCTA*)) {
    return {MessageEntry::Create, WM_CREATE, static_cast<PfnCreate>(pfn)};
}
template <class T> MessageEntry MapVoid(UINT message, void (T::*pfn)()) {
    return {MessageEntry::Void, message, static_cast<PfnCommand>(pfn)};
}
template <class T> MessageEntry MapMessage(UINT message, LRESULT (T::*pfn)(WPARAM, LPARAM)) {
    return {MessageEntry::Message, message, static_cast<PfnMessage>(pfn)};
}
