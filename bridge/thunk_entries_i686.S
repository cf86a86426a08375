/* QV3810T2's half of the 16-to-32 flat thunk on the 32-bit platform: the
 * data block that ThunkConnect32 connects to the partner's "PK_ThunkData16",
 * the name of that block, the target table, and the two targets that the
 * platform's 16-bit side calls.
 *
 * ThunkConnect32 finds the target table by adding the block's offset (+0x20)
 * to the address of the name it is given, not to the block: the name and the
 * table are one piece here, and DllMain passes this name.
 *
 * The platform enters a target on the 32-bit stack with EBX holding the flat
 * address of the caller's 16-bit frame: the 16:16 arguments lie at EBX+22
 * upwards, the first argument highest. The target returns its result in
 * AX (DX:AX) and the number of argument bytes to remove from the 16-bit
 * stack in CX. */

        .data
        .p2align 2
        .globl  _QV3810T2_ThunkData32
_QV3810T2_ThunkData32:
        .ascii  "SL01"
        .long   2259            /* checksum, as in the partner's block */
        .long   0               /* reserved */
        .long   0               /* the partner's data, set by ThunkConnect32 */
        .ascii  "LB01"
        .long   0, 0, 0         /* flags, reserved */
        .long   TargetTable - _QvPartnerDataName

        .section .rdata,"dr"
        .globl  _QvPartnerDataName
_QvPartnerDataName:
        .asciz  "PK_ThunkData16"
        .p2align 2
TargetTable:
        .long   _QvTableTarget  /* entry 0: the rendering data table */
        .long   _QvPageTarget   /* entry 1: a page message */

/* Each target brackets its call with the platform's K32Thk1632Prolog and
 * K32Thk1632Epilog, as the platform's own 16-to-32 stubs do: both see EBX
 * and EBP as the platform entered the target and the same ESP, one slot
 * below the entry's, where the result waits through the epilogue (Wine's
 * epilogue does not keep EAX). The prologue releases the 16-bit system lock
 * that the caller holds; the epilogue takes it back. */
        .text
/* Entry 1: (PageMessage far*, current PrintSettings far*, default
 * PrintSettings far*) -> 16-bit Boolean; 12 bytes of arguments. */
        .p2align 4
_QvPageTarget:
        pushl   $0              /* the result's slot */
        call    *__imp__K32Thk1632Prolog@0
        pushl   22(%ebx)        /* default settings */
        pushl   26(%ebx)        /* current settings */
        pushl   30(%ebx)        /* page message */
        call    _QvPageCall@12
        movl    %eax, (%esp)
        call    *__imp__K32Thk1632Epilog@0
        popl    %eax
        movl    $12, %ecx
        ret

/* Entry 0: (ColorAdjustment far*, RenderingDataTable far*); 8 bytes. */
        .p2align 4
_QvTableTarget:
        pushl   $0              /* the result's slot, as above */
        call    *__imp__K32Thk1632Prolog@0
        pushl   22(%ebx)        /* table buffer */
        pushl   26(%ebx)        /* color adjustment */
        call    _QvTableCall@8
        call    *__imp__K32Thk1632Epilog@0
        popl    %eax
        movl    $8, %ecx
        ret
