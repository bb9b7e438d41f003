// SORVEK_AVX2_CLONES before a function builds it twice on x86-64, for processors
// with AVX2 and for any other, and the processor picks the copy when the program
// loads. Under ThreadSanitizer, whose runtime starts only after that choice, the
// function is built once, in its portable form.
#pragma once

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SORVEK_UNDER_THREAD_SANITIZER
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define SORVEK_UNDER_THREAD_SANITIZER
#endif

#if defined(__x86_64__) && defined(__GNUC__) && !defined(SORVEK_UNDER_THREAD_SANITIZER)
#define SORVEK_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define SORVEK_AVX2_CLONES
#endif
