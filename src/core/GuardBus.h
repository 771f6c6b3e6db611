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
//
// Administrators (root, or polkit's kGuardManageAction; on Windows the local
// Administrators group) also reach every user's count, through hourgatectl:
//
//   AdminStatus() -> as                every user known today, one row each
//   AdminGrant(s user, i minutes) -> as     extra minutes today for the user's category
//   AdminSet(s user, i minutes) -> as       today's count of the user's category
//   AdminReload() -> as                the exemption list and the limits again; rows are problems
//   AdminHistory(s user, i days) -> as past days, of one user's category or of all ("")
//
// Rows are fields separated by tabs (GuardAdmin.h). Anyone else gets kGuardErrorRefused.
#pragma once

constexpr const char* kGuardService = "org.hourgate.Guard1";
constexpr const char* kGuardPath = "/org/hourgate/Guard1";
constexpr const char* kGuardInterface = "org.hourgate.Guard1";
// The error a caller gets when the guard keeps no count for it: no active local
// session of its user is known (yet).
constexpr const char* kGuardErrorNotCounted = "org.hourgate.Guard1.Error.NotCounted";
constexpr const char* kGuardErrorRefused = "org.hourgate.Guard1.Error.Refused";
// An administrator's request the guard could not carry out (a bad argument, a
// file it cannot write); the error's message says why.
constexpr const char* kGuardErrorFailed = "org.hourgate.Guard1.Error.Failed";
constexpr const char* kGuardManageAction = "org.hourgate.Guard1.manage";
