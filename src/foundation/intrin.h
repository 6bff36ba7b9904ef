// The x86 vector intrinsics, for the functions that pick their instructions at run time.
#pragma once

#if defined(__x86_64__)
// GCC 12's AVX-512 intrinsics pass an undefined vector through and warn about it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif
