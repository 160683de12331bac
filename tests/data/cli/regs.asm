* Loads registers, stores them and runs off the end of the program.
       org $2000
start  ldaa #$12
       ldab #$34
       ldx #$0000
       staa $1000
       stab $1001
       org $fffe
       fdb start
       end
