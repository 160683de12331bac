        org $2000
start   ldaa #$0f
        staa $00
        clrb
zanka   eorb #$01
        stab $02
        ldx #150
cakaj   dex
        bne cakaj
        bra zanka
        org $fffe
        fdb start
