// What the lifetime tests stand on: freed heap blocks are overwritten (Wine fills them when its
// heap runs with WINEDEBUG=warn+heap), so a dangling pointer or vtable is garbage at once rather
// than passing by luck; a crash ends the program with a report instead of waiting for a debugger;
// and every heap can be checked for writes into blocks after they were freed.
#pragma once

#include <windows.h>

#include <string>

namespace FreedMemory {

// True when a freed block no longer holds what was written into it.
bool isOverwritten();
// Empty when every heap of the process is intact; otherwise which heap is damaged.
std::string damagedHeaps();

}  // namespace FreedMemory

// Dispatches this thread's messages for a while, as a host's message loop does between calls.
void pumpMessages(int milliseconds);
