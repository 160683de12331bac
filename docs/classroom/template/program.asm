* Kvadrat s podprogramom: dopolnite podprogram KVADRAT (navodila so v README.md).
        org $2000
start   lds #$00ff
        ldab #$55           B se mora ohraniti
        ldaa #7
        jsr kvadrat
        staa $80            7*7
        ldaa #12
        jsr kvadrat
        staa $81            12*12
        stab $82
konec   bra konec
kvadrat rts                 ; tu izračunajte A*A
        org $fffe
        fdb start
        end
