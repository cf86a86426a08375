/* DWORD QvEnterThunkTarget(const void* target, BYTE* frame, LONG* popped)
 * Enters a 16-to-32 thunk target as the platform's 16-bit side does: EBX at
 * the flat base of the 16-bit frame. Returns the target's EAX and stores the
 * argument bytes it asked the platform to remove (CX). */
        .text
        .globl  _QvEnterThunkTarget
        .p2align 4
_QvEnterThunkTarget:
        pushl   %ebx
        pushl   %ebp
        pushl   %esi
        pushl   %edi
        movl    24(%esp), %ebx  /* frame */
        call    *20(%esp)       /* target */
        movl    28(%esp), %edx  /* popped */
        movzwl  %cx, %ecx
        movl    %ecx, (%edx)
        popl    %edi
        popl    %esi
        popl    %ebp
        popl    %ebx
        ret
