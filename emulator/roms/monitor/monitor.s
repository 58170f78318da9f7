; The machine-language monitor: entry by SYS 36864 or BRK, the registers it
; found, the command loop and the commands that leave it (G, X).

.include "monitor.inc"

FLAG_BREAK     = $10
FLAG_INTERRUPT = $04
KERNAL_MESSAGES = $C0   ; SETMSG: the KERNAL's error and LOAD/SAVE messages
MONITOR_START  = $9000

.segment "ENTRY"

; SYS 36864 and the BRK vector both come here. A BRK arrives through the
; KERNAL's interrupt entry with Y, X, A, the status and the return address
; on the stack, interrupts off and the break bit in the pushed status.
entry:
        php
        sta caller_a
        lda #1
entered:
        sta from_entry
        pla
        sta caller_p
        stx caller_x
        sty caller_y
        cld
        ldx #ZP_SAVED_COUNT - 1
@save:  lda ZP_SAVED_BASE,x
        sta zp_saved,x
        dex
        bpl @save
        tsx
        lda from_entry
        beq from_call           ; back from G: the PC stays
        lda #<MONITOR_START
        sta reg_pc
        lda #>MONITOR_START
        sta reg_pc + 1
        lda caller_p
        and #FLAG_INTERRUPT
        beq from_call
        lda $0104,x
        and #FLAG_BREAK
        beq from_call
        lda $0106,x             ; a BRK is two bytes before its return
        sta @opcode + 2         ; address
        lda $0105,x
        sec
        sbc #2
        sta @opcode + 1
        bcs @opcode
        dec @opcode + 2
@opcode:
        lda $FFFF
        bne from_call
        ldy #0
@frame: lda $0101,x             ; Y, X, A, status, PC low, PC high
        sta break_order,y
        inx
        iny
        cpy #6
        bne @frame
        ldy #5
@place: lda break_order,y
        ldx break_slots,y
        sta reg_pc,x
        dey
        bpl @place
        tsx
        txa
        clc
        adc #6                  ; the stack as it was before the BRK
        sta reg_sp
        jmp enter
from_call:
        lda caller_a
        sta reg_ac
        lda caller_x
        sta reg_xr
        lda caller_y
        sta reg_yr
        lda caller_p
        sta reg_sr
        stx reg_sp
        ; fall through

enter:  tsx
        stx monitor_stack
        cli
        jsr CLRCHN
        lda #KERNAL_MESSAGES
        jsr SETMSG
        jsr new_line
        ldy #text_title - texts
        jsr put_text
        jsr show_registers
        jmp prompt

.assert entry = MONITOR_START, error, "the monitor must start at $9000 (SYS 36864)"

.segment "CODE"

; An RTS from the code that G started comes back here.
returned:
        php
        sta caller_a
        lda #0
        jmp entered

; --- the command loop ---------------------------------------------------------

; A command that cannot be carried out: "?" and a new prompt.
fail:
        jsr new_line
        lda #'?'
        jsr CHROUT
        lda #CR
        jsr CHROUT
prompt:
        jsr new_line
        lda #'.'
        jsr CHROUT
; Read and run one line. The commands that change a listing line in place
; (":", "'", ",", ";") come back here without a prompt, so that the next
; listing line can be changed next.
input:
        ldx monitor_stack
        txs
        cli
        jsr CLRCHN
        jsr read_line
        jsr run_command
        jmp prompt

finish_edit = input

; The line from the screen editor into line, 0-terminated.
read_line:
        ldx #0
@next:  stx line_pos
        jsr CHRIN
        ldx line_pos
        cmp #CR
        beq @end
        cpx #LINE_SIZE
        bcs @next               ; the rest of an overlong line is dropped
        sta line,x
        inx
        bne @next
@end:   lda #0
        sta line,x
        sta line_pos
        rts

; Past blanks and the prompt's dots, the first character names the command.
run_command:
        jsr skip_blanks
        beq @empty
        cmp #'.'
        bne @find
        inc line_pos
        bne run_command
@find:  jsr take
        ldx #COMMAND_COUNT - 1
@search:
        cmp command_keys,x
        beq @found
        dex
        bpl @search
        jmp fail
@found: lda command_high,x
        pha
        lda command_low,x
        pha
@empty: rts

.define COMMANDS help-1, registers-1, change_registers-1, memory-1, change_memory-1, text-1, change_text-1, disassemble-1, assemble-1, change_instruction-1, go-1, fill-1, transfer-1, compare-1, hunt-1, load-1, save-1, drive_status-1, exit_to_basic-1
command_keys:
        .byte "?R;M:I'DA,GFTCHLS@X"
COMMAND_COUNT = * - command_keys
command_low:
        .lobytes COMMANDS
command_high:
        .hibytes COMMANDS
.assert * - command_high = COMMAND_COUNT, error, "one handler per command key"

; --- registers ----------------------------------------------------------------

; ?: what the commands are.
help:   jsr expect_end
        ldy #text_help - texts
        jmp put_text

; R: the register names and the line ";" reads back.
registers:
        jsr expect_end
show_registers:
        ldy #text_registers - texts
        jsr put_text
        ; fall through

show_registers_line:
        lda #';'
        jsr CHROUT
        ldx reg_pc
        lda reg_pc + 1
        jsr put_hex_word
        ldx #0
@byte:  jsr put_space
        lda reg_sr,x
        jsr put_hex_byte
        inx
        cpx #5
        bne @byte
        jsr put_space
        lda reg_sr
        ldx #8
@flag:  asl
        pha
        lda #'0'
        adc #0
        jsr CHROUT
        pla
        dex
        bne @flag
        jmp pad_line

; ; PC SR AC XR YR SP: the register line, changed on the screen.
change_registers:
        jsr need_word
        lda word
        sta reg_pc
        lda word + 1
        sta reg_pc + 1
        ldx #0
@byte:  jsr read_byte
        bcs @shown
        sta reg_sr,x
        inx
        cpx #5
        bne @byte
@shown: jsr begin_reprint
        jsr show_registers_line
        jmp finish_edit

; --- leaving ------------------------------------------------------------------

restore_zero_page:
        ldx #ZP_SAVED_COUNT - 1
@copy:  lda zp_saved,x
        sta ZP_SAVED_BASE,x
        dex
        bpl @copy
        rts

; G [addr]: run from addr (or PC) with the registers shown; an RTS there
; comes back to the monitor, as does a BRK.
go:     jsr read_word
        bcs @start
        lda word
        sta reg_pc
        lda word + 1
        sta reg_pc + 1
@start: jsr expect_end
        jsr restore_zero_page
        ldx reg_sp
        txs
        lda #>(returned - 1)
        pha
        lda #<(returned - 1)
        pha
        lda reg_pc + 1
        pha
        lda reg_pc
        pha
        lda reg_sr
        pha
        lda reg_ac
        ldx reg_xr
        ldy reg_yr
        rti

; X: back to BASIC's warm start, which keeps the program.
exit_to_basic:
        jsr expect_end
        jsr restore_zero_page
        jmp (BASIC_WARM_VECTOR)

; Where each byte of a BRK's frame goes, as offsets from reg_pc.
break_slots:
        .byte reg_yr - reg_pc, reg_xr - reg_pc, reg_ac - reg_pc
        .byte reg_sr - reg_pc, 0, 1

; --- texts ----------------------------------------------------------------------

texts:
text_title:
        .byte "QUILLON ML MONITOR AT $9000 (SYS 36864)", CR
        .byte "? LISTS THE COMMANDS", CR, 0
text_registers:
        .byte "  PC  SR AC XR YR SP NV-BDIZC", CR, 0
text_help:
        .byte "R REGS  M I D MEMORY TEXT DISASSEMBLY", CR
        .byte "A ASSEMBLE  G GO  F FILL  T TRANSFER", CR
        .byte "C COMPARE H HUNT L S LOAD SAVE @ DISK", CR
        .byte "X BASIC  EDIT A SHOWN LINE + RETURN", CR, 0
.assert * - texts < 256, error, "texts are reached with an 8-bit offset"
.global text_title, text_registers

; --- work area --------------------------------------------------------------------

.segment "BSS"

reg_pc:         .res 2
reg_sr:         .res 1  ; SR, AC, XR, YR, SP in the order the register line
reg_ac:         .res 1  ; shows them
reg_xr:         .res 1
reg_yr:         .res 1
reg_sp:         .res 1
caller_a:       .res 1
caller_x:       .res 1
caller_y:       .res 1
caller_p:       .res 1
from_entry:     .res 1
break_order:    .res 6
zp_saved:       .res ZP_SAVED_COUNT
monitor_stack:  .res 1
line:           .res LINE_SIZE + 1
line_pos:       .res 1
word:           .res 2
digits:         .res 1
end_addr:       .res 2
next_addr:      .res 2
