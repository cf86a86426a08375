; thunk16_caller.exe: a 16-bit Windows program that plays the printer
; driver. It calls QV3810T1's two entries with 16:16 pointers into its own
; data, through the platform's thunk to QV3810T2 and QV3810ui, and checks:
;  - the page entry returns true for messages of each known page kind and
;    false for kinds around them; the message record is never written, nor
;    the default settings;
;  - the table entry fills the buffer with the table that qvrdt.exe wrote
;    to thunk16_rdt.bin for the same color values.
; Each failure is written to standard output; the exit code is the number
; of failures (ExitProcess through the platform's generic thunk, since a
; 16-bit task's own exit code does not reach the process here).

%include "ne.inc"

KERNEL  equ 1                   ; module references
PARTNER equ 2
InitTask          equ 91        ; KERNEL ordinals
DOS3Call          equ 102
LoadLibraryEx32W  equ 513
GetProcAddress32W equ 515
CallProc32W       equ 517
PageEntry  equ 2                ; QV3810T1 ordinals
TableEntry equ 3

SETTINGS_SIZE equ 3384
MESSAGE_SIZE  equ 28
TABLE_SIZE    equ 14739
WM_NOTIFY     equ 4Eh
WM_COMMAND    equ 111h

        ne_header 0x0302, 2, 0, 2000h, Start - code, 2   ; program, own data

restab: ne_name 'THUNK16_CALLER', 0
        db 0
modtab: dw kernel_name - imptab, partner_name - imptab
imptab: db 0
kernel_name:  db 6, 'KERNEL'
partner_name: db 8, 'QV3810T1'
enttab: db 0
enttab_end:
nrestab: ne_name 'QV3810 thunk caller', 0
        db 0
nrestab_end:

        ne_segment code

Start:
        call_import KERNEL, InitTask    ; also starts the libraries we import
        cld
        push ds
        pop es
        xor bp, bp                      ; failures

        ; Default settings: a byte pattern; the current settings a copy.
        mov di, Defaults
        mov cx, SETTINGS_SIZE
        xor al, al
.pattern:
        stosb
        add al, 7
        loop .pattern
        mov si, Defaults
        mov di, DefaultsCopy
        mov cx, SETTINGS_SIZE
        rep movsb
        mov si, Defaults
        mov di, Current
        mov cx, SETTINGS_SIZE
        rep movsb

        ; One call of the page entry per case.
        mov bx, Cases - data
.case:
        cmp word [bx], 0
        je .cases_done
        push bx
        mov di, Message                 ; the host's message record
        mov ax, [bx]
        stosw                           ; PageKind
        xor ax, ax
        stosw
        mov ax, 5678h                   ; HostValue
        stosw
        mov ax, 1234h
        stosw
        xor ax, ax                      ; PageWindow: none
        stosw
        stosw
        mov ax, [bx + 2]                ; Message
        stosw
        xor ax, ax
        stosw
        mov ax, [bx + 4]                ; WParam
        stosw
        xor ax, ax
        stosw
        stosw                           ; LParam
        stosw
        xor ax, ax                      ; NotifyHeader: 16:16 or none
        cmp word [bx + 2], WM_NOTIFY
        jne .no_header
        mov ax, Header - data
        stosw
        mov ax, ds
        stosw
        jmp short .built
.no_header:
        stosw
        stosw
.built:
        mov si, Message
        mov di, MessageCopy
        mov cx, MESSAGE_SIZE
        rep movsb

        mov [StackBefore - data], sp
        push ds
        push word Message
        push ds
        push word Current
        push ds
        push word Defaults
        call_import PARTNER, PageEntry
        push ds
        pop es
        mov bx, sp                      ; as the entry left it
        mov sp, [StackBefore - data]
        call CheckStack
        pop bx
        push bx
        test ax, ax
        setnz al
        cmp al, [bx + 6]
        je .result_ok
        mov si, MsgResult - data
        call Fail
.result_ok:
        mov si, Message
        mov di, MessageCopy
        mov cx, MESSAGE_SIZE
        repe cmpsb
        je .message_ok
        mov si, MsgMessage - data
        call Fail
.message_ok:
        pop bx
        add bx, 8
        jmp .case
.cases_done:
        mov si, Defaults
        mov di, DefaultsCopy
        mov cx, SETTINGS_SIZE
        repe cmpsb
        je .defaults_ok
        xor bx, bx
        mov si, MsgDefaults - data
        call Fail
.defaults_ok:

        ; The table entry against the table qvrdt.exe wrote.
        mov ax, 3D00h                   ; open for reading
        mov dx, RdtFile - data
        call_import KERNEL, DOS3Call
        jc .no_reference
        mov bx, ax
        mov ah, 3Fh
        mov cx, TABLE_SIZE
        mov dx, Expected
        push bx
        call_import KERNEL, DOS3Call
        pop bx
        push ax
        mov ah, 3Eh
        call_import KERNEL, DOS3Call
        pop ax
        cmp ax, TABLE_SIZE
        je .reference_read
.no_reference:
        xor bx, bx
        mov si, MsgReference - data
        call Fail
        jmp short .exit
.reference_read:
        mov [StackBefore - data], sp
        push ds
        push word Color - data
        push ds
        push word Table
        call_import PARTNER, TableEntry
        push ds
        pop es
        mov bx, sp
        mov sp, [StackBefore - data]
        call CheckStack
        mov si, Table
        mov di, Expected
        mov cx, TABLE_SIZE
        repe cmpsb
        je .exit
        xor bx, bx
        mov si, MsgTable - data
        call Fail

.exit:
        ; ExitProcess(failures) in the 32-bit world.
        push ds
        push word Kernel32 - data
        push dword 0
        push dword 0
        call_import KERNEL, LoadLibraryEx32W
        push dx
        push ax
        push ds
        push word ExitProcessName - data
        call_import KERNEL, GetProcAddress32W
        push word 0                     ; the exit code, high word
        push bp                         ; and low word
        push dx
        push ax
        push dword 0                    ; no pointer arguments
        push dword 1                    ; one argument
        call_import KERNEL, CallProc32W
        mov ax, 4C01h                   ; not reached
        call_import KERNEL, DOS3Call

; The entry must have removed its arguments: BX is the stack pointer it
; returned with. Keeps AX.
CheckStack:
        cmp bx, [StackBefore - data]
        je .ok
        push ax
        xor bx, bx
        mov si, MsgStack - data
        call Fail
        pop ax
.ok:
        ret

; Counts a failure and writes "kind NNNN: " (when BX points at a case)
; and the text at SI to standard output.
Fail:
        push bx
        inc bp
        test bx, bx
        jz .text
        push si
        mov ax, [bx]
        mov di, KindDigits - data + 3
        mov cx, 4
        mov si, 10
.digit:
        xor dx, dx
        div si
        add dl, '0'
        mov [di], dl
        dec di
        loop .digit
        mov si, KindText - data
        call Write
        pop si
.text:
        call Write
        pop bx
        ret

; Writes the zero-terminated text at SI to standard output.
Write:
        mov di, si
        push ds
        pop es
        mov cx, -1
        xor al, al
        repne scasb
        not cx
        dec cx
        mov dx, si
        mov bx, 1
        mov ah, 40h
        call_import KERNEL, DOS3Call
        ret

        ne_end_segment code_size

        ne_segment data
        times 16 db 0                   ; no pointer is null

; Cases: page kind, message, WParam, expected Boolean.
Cases:
%assign kind 1001
%rep 4
        dw kind, WM_COMMAND, 0FFFEh, 1  ; a control no page has
        dw kind, WM_NOTIFY, 0, 1        ; a notification no page acts on
%assign kind kind + 1
%endrep
        dw 1000, WM_COMMAND, 0FFFEh, 0  ; kinds the dispatcher does not know
        dw 1005, WM_COMMAND, 0FFFEh, 0
        dw 0

; Notification header: window, control, code at byte 8.
Header: dd 0, 0, -300

; The table's color values: qvrdt table --base 3 --bright 4 --contrast -10
; --cyan-red -3 writes the same table.
Color:  dd 0, 3, 4, 0, -10, -3, 0, 0

RdtFile:         db 'thunk16_rdt.bin', 0
Kernel32:        db 'KERNEL32.DLL', 0
ExitProcessName: db 'ExitProcess', 0
KindText:        db 'kind '
KindDigits:      db '0000: ', 0
MsgResult:       db 'wrong page result', 13, 10, 0
MsgMessage:      db 'the message record was written', 13, 10, 0
MsgDefaults:     db 'the default settings were written', 13, 10, 0
MsgReference:    db 'cannot read thunk16_rdt.bin', 13, 10, 0
MsgTable:        db 'the table differs from qvrdt', 13, 10, 0
MsgStack:        db 'the entry did not remove its arguments', 13, 10, 0
StackBefore:     dw 0

        ne_end_segment data_size

; Records beyond the segment's file data, in the same segment.
Message      equ data_size
MessageCopy  equ Message + MESSAGE_SIZE
Current      equ MessageCopy + MESSAGE_SIZE
Defaults     equ Current + SETTINGS_SIZE
DefaultsCopy equ Defaults + SETTINGS_SIZE
Table        equ DefaultsCopy + SETTINGS_SIZE
Expected     equ Table + TABLE_SIZE
data_alloc   equ Expected + TABLE_SIZE
