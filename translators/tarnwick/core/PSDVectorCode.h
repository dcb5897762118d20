#ifndef PSD_VECTOR_CODE_H
#define PSD_VECTOR_CODE_H

// The core has SSE2 forms of its per-pixel loops, compiled wherever the
// compiler targets SSE2 (every x86-64 build), and plain forms for other
// CPUs. Both give the same pixels; tests switch the SSE2 forms off to check
// the plain ones on machines that have SSE2.

#if defined(__SSE2__)
#define PSD_CORE_HAS_SSE2 1
#else
#define PSD_CORE_HAS_SSE2 0
#endif

// True when the SSE2 forms are compiled in and switched on (the default).
bool psdCoreVectorCode();
void psdCoreSetVectorCode(bool enabled);

#endif
