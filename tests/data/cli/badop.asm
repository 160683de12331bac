* line 2 is fine, line 3 is not
       org $2000
       frob #1
       end
