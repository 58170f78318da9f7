; The PRG file's load address.
.segment "LOADADDR"
        .word $9000
