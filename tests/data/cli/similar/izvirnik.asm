* kvadrat s seštevanjem
        org $2000
start   lds #$00ff
        ldab #$55
        ldaa #7
        jsr kvadrat
        staa $80
konec   bra konec
kvadrat tab
        clra
zanka   adda 0,x
        decb
        bne zanka
        rts
        org $fffe
        fdb start
