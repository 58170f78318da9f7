; The fixed addresses of BASIC: the cold and warm start vectors and the
; identifying text at $A000, and the documented entry points that
; machine-language programs and the BASIC vectors' defaults use. Each entry
; here is a jump to the routine that does the work; where the routine itself
; sits at the address, it is in its own source with the address asserted.

.include "basic.inc"

.segment "BASIC_A000"

        .word   basic_cold              ; $A000: cold start
        .word   basic_warm              ; $A002: warm start
        .byte   "QLNBASIC"              ; $A004: who we are

.segment "BASIC_A437"

basic_error:
        jmp     (IERROR)                ; error X: the message and READY.

.segment "BASIC_A474"

        jmp     ready                   ; READY. and the main loop

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

.segment "BASIC_B3A2"

        jmp     fac_from_byte           ; Y (0-255) to FAC

.segment "BASIC_B850"

        jmp     fsub_mem                ; FAC = memory at A/Y - FAC

.segment "BASIC_B867"

        jmp     fadd_mem                ; FAC = memory at A/Y + FAC

.segment "BASIC_B9EA"

        jmp     fn_log                  ; FAC = LOG(FAC)

.segment "BASIC_BA28"

        jmp     fmul_mem                ; FAC = memory at A/Y * FAC

.segment "BASIC_BB0F"

        jmp     fdiv_mem                ; FAC = memory at A/Y / FAC

.segment "BASIC_BBA2"

        jmp     fac_load                ; FAC = memory at A/Y

.segment "BASIC_BBD4"

        jmp     fac_store               ; memory at X/Y = FAC, rounded

.segment "BASIC_BC5B"

        jmp     fac_compare             ; A = sign of FAC - memory at A/Y

.segment "BASIC_BC9B"

        jmp     fac_to_int32            ; FACHO-FACHO+3 = INT(FAC), 32 bits

.segment "BASIC_BDCD"

        jmp     print_uint16            ; print unsigned A (high) / X (low)

.segment "BASIC_BDDD"

        jmp     float_to_text           ; FAC as text at $0100, A/Y = $0100

.segment "BASIC_BF71"

        jmp     fn_sqr                  ; FAC = SQR(FAC)

.segment "BASIC_BF7B"

        jmp     fn_power                ; FAC = ARG ^ FAC

.segment "BASIC_BFED"

        jmp     fn_exp                  ; FAC = EXP(FAC)

.segment "BASIC_E097"

        jmp     fn_rnd                  ; FAC = RND(FAC)

.segment "BASIC_E0BE"

        jmp     rnd_next                ; FAC = the next value from the seed

.segment "BASIC_E2B4"

        jmp     fn_tan                  ; FAC = TAN(FAC)

.segment "BASIC_E30E"

        jmp     fn_atn                  ; FAC = ATN(FAC)

.segment "BASIC_E38B"

        jmp     error_handler           ; default of IERROR

