#pragma once
// A rejected registration script's error as the tests print it.
#include <string>

#include "framework/RegistrationScript.h"

namespace velmora {

// "line L, column C: message", or the bare message without a position.
inline std::string FormatScriptError(const ScriptError& error) {
    if (error.line == 0) return error.message;
    return "line " + std::to_string(error.line) + ", column " + std::to_string(error.column) + ": " + error.message;
}

}  // namespace velmora
