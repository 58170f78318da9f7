; KERNAL messages and errors. An error returns its code (1-9) in A with carry
; set, after resetting the channels; "I/O ERROR #n" is printed only when
; the message flag's bit 6 asks for it (SETMSG), the LOAD and SAVE messages
; only with bit 7 (BASIC sets it in direct mode).

.include "zeropage.inc"
.include "system.inc"
.include "kernal.inc"
.include "kernal_internal.inc"

CR = $0D
ST_DEVICE_NOT_PRESENT = $80
BIT_ABSOLUTE = $2C      ; opcode that swallows the next two-byte instruction

.segment "KERNAL_F3"

; Entry points for each code; each load falls into the next entry's BIT, so
; only the first load taken counts.
error_too_many_files:
        lda #ERR_TOO_MANY_FILES
        .byte BIT_ABSOLUTE
error_file_open:
        lda #ERR_FILE_OPEN
        .byte BIT_ABSOLUTE
error_file_not_open:
        lda #ERR_FILE_NOT_OPEN
        .byte BIT_ABSOLUTE
error_file_not_found:
        lda #ERR_FILE_NOT_FOUND
        .byte BIT_ABSOLUTE
error_device_not_present:
        lda #ERR_DEVICE_NOT_PRESENT
        .byte BIT_ABSOLUTE
error_not_input_file:
        lda #ERR_NOT_INPUT_FILE
        .byte BIT_ABSOLUTE
error_not_output_file:
        lda #ERR_NOT_OUTPUT_FILE
        .byte BIT_ABSOLUTE
error_missing_file_name:
        lda #ERR_MISSING_FILE_NAME
        .byte BIT_ABSOLUTE
error_illegal_device:
        lda #ERR_ILLEGAL_DEVICE

; A = error code. Out: A = the code, carry set. Clobbers X, Y.
report_io_error:
        pha
        jsr CLRCHN
        bit MSGFLG
        bvc @quiet
        ldy #msg_io_error - messages
        jsr print_message
        pla
        pha
        ora #'0'
        jsr CHROUT
@quiet: pla
        sec
        rts

; A device the machine does not have: ST "device not present", error 5.
device_not_present:
        lda #ST_DEVICE_NOT_PRESENT
        ora STATUS
        sta STATUS
        jmp error_device_not_present

; Print the message at offset Y of the table through CHROUT. Clobbers A, Y.
print_message:
@next:  lda messages,y
        beq @done
        jsr CHROUT
        iny
        bne @next
@done:  rts

; Print the FNLEN bytes of the file name. Clobbers A, Y.
print_file_name:
        ldy #0
@next:  cpy FNLEN
        beq @done
        lda (FNADR),y
        jsr CHROUT
        iny
        bne @next
@done:  rts

; "SEARCHING FOR name" and "SAVING name", in direct mode only.
print_searching:
        ldy #msg_searching - messages
        .byte BIT_ABSOLUTE
print_saving:
        ldy #msg_saving - messages
        bit MSGFLG
        bpl print_done
        jsr print_message
        jmp print_file_name

; "LOADING", or "VERIFYING" when the verify flag is set; direct mode only.
print_load_message:
        bit MSGFLG
        bpl print_done
        ldy #msg_loading - messages
        lda VERCK
        beq @print
        ldy #msg_verifying - messages
@print: jmp print_message
print_done:
        rts

messages:
msg_io_error:   .byte CR, "I/O ERROR #", 0
msg_searching:  .byte CR, "SEARCHING FOR ", 0
msg_saving:     .byte CR, "SAVING ", 0
msg_loading:    .byte CR, "LOADING", 0
msg_verifying:  .byte CR, "VERIFYING", 0
