#pragma once

// The show's mode as the settings file names it (read and written by settingstable.h). Only the
// exact texts of the two modes name one; a missing value or any other text (another case included)
// is Neither, and each reader decides what that means.
enum class Mode { Auto, Custom, Neither };
