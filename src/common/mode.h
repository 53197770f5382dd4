#pragma once

// The show's mode as the settings file names it. Only the exact texts "auto" and "custom" name a
// mode; a missing value or any other text (another case included) is Neither, and each reader
// decides what that means.
enum class Mode { Auto, Custom, Neither };
