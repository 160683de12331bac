* Nested calls for the profile: the main loop calls ZUNANJI, which calls NOTRANJI.
       org $1000
start  lds #$00ff
zanka  jsr zunanji
       bra zanka
       org $1010
zunanji ldaa #3
       bsr notranji
       deca
       bne zunanji+2
       rts
notranji nop
       rts
       org $fffe
       fdb start
       end
