// What a modal dialog of either shell returns: the values of IDOK and IDCANCEL.
#pragma once

constexpr int kDialogOk = 1;
constexpr int kDialogCancel = 2;
