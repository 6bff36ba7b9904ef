// The one convention of the vector code. A routine with a fast vector form and a plain one
// takes a VectorForm (a parameter `form`, or a member `vectorForm`); Wide runs the vector
// form when the build has vector paths and the processor has the instructions the form names
// (its kWide... constant), else the plain form, which gives the same result. The intrinsics
// themselves are fenced by `#if SEQ_VECTOR` (they come from intrin.h).
//
// SEQ_VECTOR is 1 on x86-64 unless the build option SEQ_VECTOR is off (which defines
// SEQ_NO_VECTOR): then no vector path is compiled and every routine runs its plain form.
#pragma once

#if defined(__x86_64__) && !defined(SEQ_NO_VECTOR)
#define SEQ_VECTOR 1
#else
#define SEQ_VECTOR 0
#endif

enum class VectorForm : unsigned char { Plain, Wide };

// Instruction sets a vector form may need; a form names their union.
enum CpuFeature : unsigned {
  kCpuPopcnt = 1u << 0,
  kCpuBmi2 = 1u << 1,
  kCpuAvx2 = 1u << 2,
  kCpuAvx512f = 1u << 3,
  kCpuAvx512bw = 1u << 4,
  kCpuAvx512vl = 1u << 5,
  kCpuAvx512vbmi = 1u << 6,
  kCpuAvx512vbmi2 = 1u << 7,
  kCpuAvx512bitalg = 1u << 8,
};

// Whether the processor has every instruction set of `features`; always false without vector
// paths.
inline bool cpuHas(unsigned features) {
#if SEQ_VECTOR
  return (!(features & kCpuPopcnt) || __builtin_cpu_supports("popcnt")) &&
         (!(features & kCpuBmi2) || __builtin_cpu_supports("bmi2")) &&
         (!(features & kCpuAvx2) || __builtin_cpu_supports("avx2")) &&
         (!(features & kCpuAvx512f) || __builtin_cpu_supports("avx512f")) &&
         (!(features & kCpuAvx512bw) || __builtin_cpu_supports("avx512bw")) &&
         (!(features & kCpuAvx512vl) || __builtin_cpu_supports("avx512vl")) &&
         (!(features & kCpuAvx512vbmi) || __builtin_cpu_supports("avx512vbmi")) &&
         (!(features & kCpuAvx512vbmi2) || __builtin_cpu_supports("avx512vbmi2")) &&
         (!(features & kCpuAvx512bitalg) || __builtin_cpu_supports("avx512bitalg"));
#else
  (void)features;
  return false;
#endif
}

// Whether `form` runs the vector form of a routine whose vector form needs `features`.
inline bool useWide(VectorForm form, unsigned features) {
  return form == VectorForm::Wide && cpuHas(features);
}
