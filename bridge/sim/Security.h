#pragma once
// Passwords of the simulated drives: only a random salt and a derived key are kept.
#include "SimState.h"

#include <string>

namespace sim {

void StorePassword(Drive& drive, const std::string& password);
bool PasswordMatches(const Drive& drive, const std::string& password);
void ForgetPassword(Drive& drive);

} // namespace sim
