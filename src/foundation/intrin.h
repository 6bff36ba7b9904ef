// The x86 vector intrinsics, for the vector forms of the routines (see vector_form.h); empty
// without vector paths.
#pragma once

#include "vector_form.h"

#if SEQ_VECTOR
// GCC 12's AVX-512 intrinsics pass an undefined vector through and warn about it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif
