; The fixed addresses of BASIC: the cold and warm start vectors and the
; identifying text at $A000, and the documented entry points that
; machine-language programs and the BASIC vectors' defaults use. Each entry
; is a jump to the routine that does the work.

.include "basic.inc"

.segment "BASIC_A000"
        .word   basic_cold              ; $A000: cold start
        .word   basic_warm              ; $A002: warm start
        .byte   "QLNBASIC"              ; $A004: who we are

.segment "BASIC_A483"
        jmp     main_entry              ; default of IMAIN
.segment "BASIC_A533"
        jmp     relink                  ; relink the program lines
.segment "BASIC_A57C"
        jmp     tokenize                ; default of ICRNCH
.segment "BASIC_A68E"
        jmp     reset_text_ptr          ; TXTPTR = start of program - 1
.segment "BASIC_A71A"
        jmp     list_token              ; default of IQPLOP
.segment "BASIC_A7AE"
        jmp     execute_next            ; run the next statement
.segment "BASIC_A7E4"
        jsr     CHRGET                  ; default of IGONE: fetch the first character,
        jmp     execute_statement       ; $A7E7: and execute the statement it starts
.segment "BASIC_AB1E"
        jmp     print_string_ay         ; print the zero-terminated text at A/Y
.segment "BASIC_AD9E"
        jmp     eval_expr               ; evaluate an expression at TXTPTR
.segment "BASIC_AE86"
        jmp     eval_element_default    ; default of IEVAL
.segment "BASIC_B1AA"
        jmp     fac_to_int16            ; FAC to signed A (high) / Y (low)
.segment "BASIC_B391"
        jmp     fac_from_int16          ; signed A (high) / Y (low) to FAC
.segment "BASIC_BDCD"
        jmp     print_uint16            ; print unsigned A (high) / X (low)
.segment "BASIC_E38B"
        jmp     error_handler           ; default of IERROR

