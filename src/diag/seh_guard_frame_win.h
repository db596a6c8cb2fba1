/* Frame layout of SlSehGuardedCall, shared by its assembly and its exception filter. */
#ifndef SL_DIAG_SEH_GUARD_FRAME_WIN_H_
#define SL_DIAG_SEH_GUARD_FRAME_WIN_H_

/* Bytes the routine reserves below its return address: the callee's 32-byte home area, then the
   fault slot; 40 keeps the stack 16-byte aligned at the call. */
#define SL_SEH_GUARD_FRAME_SIZE 40
/* Offset of the caller's fault record from the establisher frame (the stack after the prologue). */
#define SL_SEH_GUARD_FAULT_SLOT 32

#endif /* SL_DIAG_SEH_GUARD_FRAME_WIN_H_ */
