#pragma once

#include "QuillonError.h"

// A write to the per-user store that failed.
class ERegistryException : public EQuillonError {
public:
    using EQuillonError::EQuillonError;
};
