/* QV3810T2's half of the 16-to-32 flat thunk on the 32-bit platform: the
 * data block that ThunkConnect32 connects to the partner's "PK_ThunkData16",
 * the target table it finds through the block, and the two targets that the
 * platform's 16-bit side calls.
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
        .long   TargetTable - _QV3810T2_ThunkData32

/* The name of the partner's block, passed to ThunkConnect32. Windows adds
 * the table offset to the data block; Wine adds it to this name. The name
 * lies right behind the block and a second table lies at the same offset
 * from it, so that both find a table. */
        .globl  _QvPartnerDataName
_QvPartnerDataName:
        .asciz  "PK_ThunkData16"
        .p2align 2
TargetTable:
        .long   _QvTableTarget  /* entry 0: the rendering data table */
        .long   _QvPageTarget   /* entry 1: a page message */
        .space  (_QvPartnerDataName - _QV3810T2_ThunkData32) - (. - TargetTable)
TargetTableFromName:
        .long   _QvTableTarget
        .long   _QvPageTarget

        .text
/* Entry 1: (PageMessage far*, current PrintSettings far*, default
 * PrintSettings far*) -> 16-bit Boolean; 12 bytes of arguments. */
        .p2align 4
_QvPageTarget:
        pushl   22(%ebx)        /* default settings */
        pushl   26(%ebx)        /* current settings */
        pushl   30(%ebx)        /* page message */
        call    _QvPageCall@12
        movl    $12, %ecx
        ret

/* Entry 0: (ColorAdjustment far*, RenderingDataTable far*); 8 bytes. */
        .p2align 4
_QvTableTarget:
        pushl   22(%ebx)        /* table buffer */
        pushl   26(%ebx)        /* color adjustment */
        call    _QvTableCall@8
        xorl    %eax, %eax
        movl    $8, %ecx
        ret
