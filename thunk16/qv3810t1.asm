; QV3810T1.DLL: the driver's 16-bit half of the flat thunk to QV3810T2.
; It holds the thunk data block "PK_ThunkData16", connects it to the
; platform when it is loaded, and exports the two 16-bit entries whose
; calls the platform carries to QV3810T2's targets:
;   QVPAGEENTRY  (PageMessage far*, current PrintSettings far*,
;                 default PrintSettings far*) -> 16-bit Boolean, target 1
;   QVTABLEENTRY (ColorAdjustment far*, RenderingDataTable far*), target 0
; Both are pascal far procedures: the callee removes the arguments.

%include "ne.inc"

KERNEL          equ 1           ; module reference
ThunkConnect16  equ 651         ; KERNEL ordinals
C16ThkSL01      equ 631

        ne_header 0x8301, 2, 0, 0, LibMain - code, 1   ; library, single data

restab: ne_name 'QV3810T1', 0
        ne_name 'PK_THUNKDATA16', 1
        ne_name 'QVPAGEENTRY', 2
        ne_name 'QVTABLEENTRY', 3
        db 0
modtab: dw kernel_name - imptab
imptab: db 0
kernel_name: db 6, 'KERNEL'
enttab: db 1, 2                 ; ordinal 1 in the data segment
        db 1
        dw ThunkData16 - data
        db 2, 1                 ; ordinals 2 and 3 in the code segment
        db 1
        dw PageEntry - code
        db 1
        dw TableEntry - code
        db 0
enttab_end:
nrestab: ne_name 'QV3810 16-bit thunk to QV3810T2', 0
        db 0
nrestab_end:

        ne_segment code

; The entries load CX with the target number times four and go on to the
; common transfer, leaving the caller's return address and arguments as
; they are: the platform returns to the caller itself and removes as many
; argument bytes as the 32-bit target asks for.
PageEntry:
        mov cx, 1 * 4
        jmp short Transfer
TableEntry:
        mov cx, 0 * 4
        ; falls through

; On the first call, the platform's C16ThkSL01 writes its transfer stub
; over these 32 bytes (EAX: where, EDX: our data block) and runs it; later
; calls run the stub directly.
Transfer:
        db 66h, 0B8h            ; mov eax, code selector : Transfer
        dw Transfer - code
.code_sel:
        dw 0FFFFh
        db 66h, 0BAh            ; mov edx, data selector : ThunkData16
        dw ThunkData16 - data
.data_sel:
        dw 0FFFFh
        reloc_selector Transfer.code_sel, 1
        reloc_selector Transfer.data_sel, 2
.jump:
        jmp 0:0FFFFh
        ne_reloc 3, 1, Transfer.jump + 1 - ne_seg_base, KERNEL, C16ThkSL01
        times 32 - ($ - Transfer) db 0CCh

; Library entry: DI the instance, DS our data. Connects the thunk; the
; platform loads QV3810T2 at once (flag in the data block).
LibMain:
        mov [ThunkData16.api_sel - data], ds
        push ds
        push word Name16 - data
        push ds
        push word Name32 - data
        push di
        push dword 1            ; process attach
        push ds
        push word ThunkData16 - data
        push ds
        push word Data32Name - data
        push cs
        call_import KERNEL, ThunkConnect16
        mov ax, 1               ; loading does not depend on the thunk
        retf

        ne_end_segment code_size

        ne_segment data

; The thunk data block. The platform fills in its connection record; the
; checksum must equal that of QV3810T2's block.
ThunkData16:
        db 'SL01'
        dd 2259                 ; checksum
        dd 0                    ; flags
        dd 0
        dd 0                    ; the platform's connection record (flat)
        dd 0
        dd 0
        db 'LB01'
        dd 80000000h            ; load the 32-bit half at connection
        dd 0
        dw ApiTable - data      ; far pointer to the target table below
.api_sel:
        dw 0

; Per target: argument bytes, and the result when the 32-bit half is
; missing (false; nothing for the table).
ApiTable:
        dd 8, 0                 ; target 0: the rendering data table
        dd 12, 0                ; target 1: a page message

Name16:     db 'QV3810T1.DLL', 0
Name32:     db 'QV3810T2.DLL', 0
Data32Name: db 'QV3810T2_ThunkData32', 0

        ne_end_segment data_size
data_alloc equ data_size
