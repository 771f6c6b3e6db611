// The guard's interface on the system bus, shared by the service and the tray
// program that shows its figures. Every method answers for the caller's own
// user only: the service takes the caller's uid from the bus, never an argument.
//
//   Status() -> as        the two lines of the caller's window, as the view draws them
//   Subscribe()           the caller's connection receives Notice and StatusChanged
//                         for its user until it leaves the bus
//   PowerOff()            the exit command's request when the password was not given
//   NoticeClosed()        the caller's tray program closed the guard's latest notice
//   signal Notice(s)          a notice for the caller's user, shown for 3 seconds
//   signal StatusChanged(as)  the two lines changed (sent after each accounting tick)
//
// Signals go only to subscribed connections of that user, never broadcast.
#pragma once

constexpr const char* kGuardService = "org.hourgate.Guard1";
constexpr const char* kGuardPath = "/org/hourgate/Guard1";
constexpr const char* kGuardInterface = "org.hourgate.Guard1";
// The error a caller gets when the guard keeps no count for it: no active local
// session of its user is known (yet).
constexpr const char* kGuardErrorNotCounted = "org.hourgate.Guard1.Error.NotCounted";
constexpr const char* kGuardErrorRefused = "org.hourgate.Guard1.Error.Refused";
