#pragma once

#include "platform/LoginItem.h"

// Brings the login-item registration in line with the wanted state: registers or unregisters
// only when the service's status differs, and logs a failure without changing the setting.
void setLaunchAtLogin(bool enabled, LoginItem& service = LoginItem::system());
