#include "tray/GuardClient_win32.h"

GuardPowerOff AskGuardPowerOff() {
    const GuardPipeReply reply = AskGuard(GuardMethod::PowerOff);
    if (reply.reach != GuardReach::Answered) return GuardPowerOff::Gone;
    return reply.answer.kind == GuardAnswer::Kind::Accepted ? GuardPowerOff::Accepted
                                                            : GuardPowerOff::Refused;
}
