       org $2000
start  ldaa #'č'
       org $fffe
       fdb start
       end
