/* int SlSehGuardedCall(void (*fn)(void*), void* context, sl::ExceptionFacts* fault)

   Calls fn(context) inside a frame shaped like the one MSVC builds for __try/__except, which
   GCC cannot express. The unwind info names the system's __C_specific_handler with a one-entry
   scope table; for an exception raised while fn runs, that handler calls SlSehGuardFilter, which
   records it in *fault, and when the filter answers EXCEPTION_EXECUTE_HANDLER it unwinds the
   frames above and resumes at .Lfaulted with this frame's stack and non-volatile registers
   restored.

   Being an ordinary frame-based handler, it only sees exceptions that nothing nearer the fault
   has handled, unlike a vectored handler, which would also see the first-chance exceptions that
   system code raises and handles itself.

   Returns 1 when fn returned, 0 when an exception ended it. */

#include "diag/seh_guard_frame_win.h"

	.text
	.globl	SlSehGuardedCall
	.def	SlSehGuardedCall;	.scl	2;	.type	32;	.endef
	.seh_proc	SlSehGuardedCall
SlSehGuardedCall:
	subq	$SL_SEH_GUARD_FRAME_SIZE, %rsp
	.seh_stackalloc	SL_SEH_GUARD_FRAME_SIZE
	.seh_endprologue
	/* The filter finds the fault record through the establisher frame, so nested guards and
	   guards on other threads each record their own. */
	movq	%r8, SL_SEH_GUARD_FAULT_SLOT(%rsp)
	movq	%rcx, %rax
	movq	%rdx, %rcx
.Lguarded_begin:
	call	*%rax
	/* The return address is what the handler compares against the range: keep it inside. */
	nop
.Lguarded_end:
	movl	$1, %eax
	addq	$SL_SEH_GUARD_FRAME_SIZE, %rsp
	ret
.Lfaulted:
	/* The unwind does not set a return value here, so choose it. */
	xorl	%eax, %eax
	addq	$SL_SEH_GUARD_FRAME_SIZE, %rsp
	ret
	.seh_handler	__C_specific_handler, @except
	.seh_handlerdata
	/* Scope table: one record of begin, end, filter and the resume point. */
	.long	1
	.rva	.Lguarded_begin, .Lguarded_end, SlSehGuardFilter, .Lfaulted
	.text
	.seh_endproc
