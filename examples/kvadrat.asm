* podprogram s skladom: kvadrat števila v A s seštevanjem, argument dosegljiv prek TSX
        org $2000
start   lds #$00ff
        ldab #$55           B se mora ohraniti
        ldaa #7
        jsr kvadrat
        staa $80            7*7 = 49 = $31
        ldaa #12
        jsr kvadrat
        staa $81            12*12 = 144 = $90
        stab $82
konec   bra konec
kvadrat pshb
        pshx
        tab                 ; števec ponovitev
        pshb                ; argument na sklad
        tsx                 ; X kaže nanj
        clra
        tstb
        beq k2
zanka   adda 0,x
        decb
        bne zanka
k2      ins                 ; pospravi argument
        pulx
        pulb
        rts
        org $fffe
        fdb start
        end
