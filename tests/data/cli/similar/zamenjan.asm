        org $2000
start   lds #$00ff
        ldaa #$55
        ldab #7
        jsr kvadrat
        stab $80
konec   bra konec
kvadrat tba
        clrb
zanka   addb 0,x
        deca
        bne zanka
        rts
        org $fffe
        fdb start
