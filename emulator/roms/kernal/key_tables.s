; The keyboard decode tables: one byte per key number (row * 8 + column of
; CIA 1's matrix), then $FF for "no key". Modifier keys decode to their
; SHFLAG bit (1 SHIFT, 2 C=, 4 CTRL); $FF means the key types nothing.
;
; The unshifted and shifted tables sit at the C64's addresses, where
; programs look for them.

.include "kernal_internal.inc"

;            column:  0    1    2    3    4    5    6    7
;  row 0            DEL  RET  CRR  F7   F1   F3   F5   CRD
;  row 1             3    W    A    4    Z    S    E   LSHIFT
;  row 2             5    R    D    6    C    F    T    X
;  row 3             7    Y    G    8    B    H    U    V
;  row 4             9    I    J    0    M    K    O    N
;  row 5             +    P    L    -    .    :    @    ,
;  row 6             £    *    ;   HOME RSHIFT =    ^    /
;  row 7             1   <-  CTRL   2  SPACE  C=   Q  STOP

.segment "KERNAL_EB81"

unshifted_keys:
        .byte $14, $0D, $1D, $88, $85, $86, $87, $11
        .byte $33, $57, $41, $34, $5A, $53, $45, $01
        .byte $35, $52, $44, $36, $43, $46, $54, $58
        .byte $37, $59, $47, $38, $42, $48, $55, $56
        .byte $39, $49, $4A, $30, $4D, $4B, $4F, $4E
        .byte $2B, $50, $4C, $2D, $2E, $3A, $40, $2C
        .byte $5C, $2A, $3B, $13, $01, $3D, $5E, $2F
        .byte $31, $5F, $04, $32, $20, $02, $51, $03
        .byte $FF

shifted_keys:
        .byte $94, $8D, $9D, $8C, $89, $8A, $8B, $91
        .byte $23, $D7, $C1, $24, $DA, $D3, $C5, $01
        .byte $25, $D2, $C4, $26, $C3, $C6, $D4, $D8
        .byte $27, $D9, $C7, $28, $C2, $C8, $D5, $D6
        .byte $29, $C9, $CA, $30, $CD, $CB, $CF, $CE
        .byte $DB, $D0, $CC, $DD, $3E, $5B, $BA, $3C
        .byte $A9, $C0, $5D, $93, $01, $3D, $DE, $3F
        .byte $21, $5F, $04, $22, $A0, $02, $D1, $83
        .byte $FF

.assert unshifted_keys = $EB81, error, "unshifted decode table must be at $EB81"
.assert shifted_keys = $EBC2, error, "shifted decode table must be at $EBC2"

.segment "KERNAL_EC"

; C=: the graphics on the left of the key caps; 1-8 the colours 9-16.
commodore_keys:
        .byte $94, $8D, $9D, $8C, $89, $8A, $8B, $91
        .byte $96, $B3, $B0, $97, $AD, $AE, $B1, $01
        .byte $98, $B2, $AC, $99, $BC, $BB, $A3, $BD
        .byte $9A, $B7, $A5, $9B, $BF, $B4, $B8, $BE
        .byte $29, $A2, $B5, $30, $A7, $A1, $B9, $AA
        .byte $A6, $AF, $B6, $DC, $3E, $5B, $A4, $3C
        .byte $A8, $DF, $5D, $93, $01, $3D, $DE, $3F
        .byte $81, $5F, $04, $95, $A0, $02, $AB, $83
        .byte $FF

; CTRL: letters give control codes 1-26, 1-8 the colours 1-8, 9 and 0
; reverse on and off.
control_keys:
        .byte $FF, $FF, $FF, $FF, $FF, $FF, $FF, $FF
        .byte $1C, $17, $01, $9F, $1A, $13, $05, $01
        .byte $9C, $12, $04, $1E, $03, $06, $14, $18
        .byte $1F, $19, $07, $9E, $02, $08, $15, $16
        .byte $12, $09, $0A, $92, $0D, $0B, $0F, $0E
        .byte $FF, $10, $0C, $FF, $FF, $1B, $00, $FF
        .byte $1C, $FF, $1D, $FF, $01, $1F, $1E, $FF
        .byte $90, $FF, $04, $05, $FF, $02, $11, $FF
        .byte $FF
