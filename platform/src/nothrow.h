// Nothing throws across the platform's C-style functions: an allocation that fails inside
// one becomes its failure result, with ERROR_NOT_ENOUGH_MEMORY as the last error.
#pragma once

#include <new>

#include "wce/files.h"
#include "wce/types.h"

namespace wce::detail {

template <class R, class Body>
R NoThrow(R failure, Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // containers report only exhaustion
    }
    return failure;
}

}  // namespace wce::detail
