#pragma once

#include "QuillonError.h"

// A file that could not be read or written.
class EFileError : public EQuillonError {
public:
    using EQuillonError::EQuillonError;
};
