; The disk commands through the KERNAL: L loads, S saves, @ shows the
; drive's status or sends it a command.

.include "monitor.inc"

DEFAULT_DEVICE = 8
FILE_NUMBER    = 1
COMMAND_FILE   = 15     ; the drive's command and status channel
NAME_SIZE      = 16
STATUS_SIZE    = 80     ; longest status line read

.segment "CODE"

; L "NAME"[,device[,addr]]: to the file's own address, or to addr.
load:   jsr read_name
        lda #1                  ; secondary address 1: the file's address
        sta secondary
        jsr read_word
        bcs @open
        lda #0                  ; secondary address 0: the given address
        sta secondary
@open:  jsr expect_end
        jsr set_file
        lda #0
        ldx word
        ldy word + 1
        jsr LOAD
        jmp new_line

; S "NAME",device,start,end: the bytes from start to end, end included.
save:   jsr read_name
        jsr read_block
        jsr expect_end
        lda #0
        sta secondary
        jsr set_file
        ldx end_addr
        ldy end_addr + 1
        inx                     ; SAVE wants the address after the last
        bne @save
        iny
        beq @bad                ; (which $FFFF does not have)
@save:  lda #ptr
        jsr SAVE
        jmp new_line
@bad:   jmp fail

; The quoted name and, after a comma, the device (8 when not given).
read_name:
        jsr skip_blanks
        cmp #QUOTE
        bne @bad
        jsr take
        ldx #0
@char:  jsr take
        beq @bad                ; no closing quote
        cmp #QUOTE
        beq @device
        cpx #NAME_SIZE
        bcs @bad
        sta name,x
        inx
        bne @char
@device:
        stx name_length
        lda #DEFAULT_DEVICE
        sta device
        jsr read_byte
        bcs @done
        sta device
@done:  rts
@bad:   jmp fail

; SETNAM and SETLFS for the name, device and secondary address read.
set_file:
        lda name_length
        ldx #<name
        ldy #>name
        jsr SETNAM
        lda #FILE_NUMBER
        ldx device
        ldy secondary
        jmp SETLFS

; @[command]: send the rest of the line to the drive's command channel and
; show the line the drive answers with.
drive_status:
        jsr skip_blanks
        ldx #0
@copy:  jsr take
        beq @named
        cpx #STATUS_SIZE
        bcs @named
        sta line,x              ; (the command moves to the line's start)
        inx
        bne @copy
@named: txa
        ldx #<line
        ldy #>line
        jsr SETNAM
        lda #COMMAND_FILE
        ldx #DEFAULT_DEVICE
        ldy #COMMAND_FILE
        jsr SETLFS
        jsr OPEN
        bcs @close
        ldx #COMMAND_FILE
        jsr CHKIN
        bcs @close
        ldy #STATUS_SIZE
@read:  jsr READST
        bne @close
        jsr CHRIN
        cmp #CR
        beq @close
        jsr CHROUT
        dey
        bne @read
@close: jsr CLRCHN
        lda #COMMAND_FILE
        jsr CLOSE
        jmp new_line

.segment "BSS"

name:           .res NAME_SIZE
name_length:    .res 1
device:         .res 1
secondary:      .res 1
